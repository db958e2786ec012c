// record_command.exe: stands in for a program that korvif32.exe starts (the HTML Help viewer).
// It appends two lines to the file named by the environment variable KORVIF_TEST_RECORD, in
// UTF-8: "program " and its own path, "command " and its command line exactly as received.
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

std::string utf8(const wchar_t* text) {
    const int length = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (length <= 1) return std::string();
    std::string bytes(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, bytes.data(), length, nullptr, nullptr);
    bytes.pop_back();
    return bytes;
}

}  // namespace

int main() {
    wchar_t record[MAX_PATH];
    const DWORD length = GetEnvironmentVariableW(L"KORVIF_TEST_RECORD", record, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return 100;
    wchar_t program[MAX_PATH];
    GetModuleFileNameW(nullptr, program, MAX_PATH);
    std::FILE* file = _wfopen(record, L"ab");
    if (file == nullptr) return 101;
    std::fprintf(file, "program %s\ncommand %s\n", utf8(program).c_str(), utf8(GetCommandLineW()).c_str());
    std::fclose(file);
    return 0;
}
