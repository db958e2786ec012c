// run_exact.exe COMMAND_FILE: starts the command line held in COMMAND_FILE exactly as it stands
// (no quoting added or removed), waits for it and returns its exit code. The command line comes
// from a file so that no shell or Wine argument handling can change it.
#include <windows.h>

#include <cstdio>
#include <string>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: run_exact COMMAND_FILE\n");
        return 100;
    }
    std::FILE* file = std::fopen(argv[1], "rb");
    if (file == nullptr) {
        std::fprintf(stderr, "cannot read %s\n", argv[1]);
        return 101;
    }
    std::string command_line;
    for (int c; (c = std::fgetc(file)) != EOF;) command_line += static_cast<char>(c);
    std::fclose(file);
    while (!command_line.empty() && (command_line.back() == '\n' || command_line.back() == '\r')) {
        command_line.pop_back();
    }

    STARTUPINFOA startup {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process {};
    if (!CreateProcessA(nullptr, command_line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process)) {
        std::fprintf(stderr, "CreateProcess failed: %lu\n", GetLastError());
        return 102;
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD exit_code = 103;
    GetExitCodeProcess(process.hProcess, &exit_code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    std::printf("exit code %lu\n", exit_code);
    return static_cast<int>(exit_code);
}
