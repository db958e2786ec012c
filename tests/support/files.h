// Small file helpers for the tests.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace korvif::test {

using Bytes = std::vector<std::uint8_t>;

// A fresh directory, removed with everything in it when the object goes.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return path_; }
    std::string file(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

Bytes read_file(const std::string& path);
// The lines of a text file.
std::vector<std::string> lines_of(const std::string& path);
// The regular files directly in a directory with their bytes, by name.
std::map<std::string, Bytes> files_in(const std::filesystem::path& directory);
void write_file(const std::string& path, const Bytes& bytes);
bool file_present(const std::string& path);

// Runs one command through the dispatcher, the way the program does.
int run_command(const std::string& command_text);

// Little-endian helpers.
std::uint32_t u32_at(const Bytes& bytes, std::size_t offset);
std::uint16_t u16_at(const Bytes& bytes, std::size_t offset);
void append(Bytes& to, const Bytes& more);

}  // namespace korvif::test
