#include "fuzz_support.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <unistd.h>

#include "app/dispatch.h"

namespace korvif::fuzz {

namespace {

// Removed with its files when the process ends normally.
struct ScratchDirectory {
    std::string path;
    ScratchDirectory() {
        char pattern[] = "/dev/shm/korvif-fuzz-XXXXXX";
        char fallback[] = "/tmp/korvif-fuzz-XXXXXX";
        const char* made = mkdtemp(pattern);
        if (made == nullptr) made = mkdtemp(fallback);
        if (made == nullptr) violated("no scratch directory");
        path = std::string(made) + "/";
    }
    ~ScratchDirectory() {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
};

}  // namespace

const std::string& scratch() {
    static const ScratchDirectory directory;
    return directory.path;
}

std::string scratch_file(const char* name) { return scratch() + name; }

void write_file(const std::string& path, const std::uint8_t* data, std::size_t size) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

Bytes read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool exists(const std::string& path) { return access(path.c_str(), F_OK) == 0; }

void remove(const std::string& path) { unlink(path.c_str()); }

void run(const std::string& command_text) {
    std::string text = command_text;
    dispatch_command(nullptr, nullptr, text.data(), 1);
}

void violated(const char* what) {
    std::fprintf(stderr, "property violated: %s\n", what);
    std::abort();
}

}  // namespace korvif::fuzz
