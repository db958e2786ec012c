// Helpers shared by the fuzz targets: a private scratch directory and whole-file I/O.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <cstdio>
#include <string>
#include <vector>

namespace korvif::fuzz {

using Bytes = std::vector<std::uint8_t>;

// A directory of this process's own, made once, in memory where possible.
const std::string& scratch();

std::string scratch_file(const char* name);
void write_file(const std::string& path, const std::uint8_t* data, std::size_t size);
Bytes read_file(const std::string& path);
bool exists(const std::string& path);
void remove(const std::string& path);

// A target's limit on what an input may claim, for the rate of executions under libFuzzer. The
// stored corpus is replayed whole in the test runs (KORVIF_FUZZ_REPLAY), limits or not.
inline bool beyond_fuzzing_limit(bool beyond) {
#ifdef KORVIF_FUZZ_REPLAY
    (void)beyond;
    return false;
#else
    return beyond;
#endif
}

// Runs a command through the dispatcher like the program does.
void run(const std::string& command_text);

// Stops the run with a message: a property that must hold did not.
[[noreturn]] void violated(const char* what);

}  // namespace korvif::fuzz

#define FUZZ_CHECK(condition)                                                   \
    do {                                                                        \
        if (!(condition)) ::korvif::fuzz::violated(#condition " at " __FILE__); \
    } while (0)
