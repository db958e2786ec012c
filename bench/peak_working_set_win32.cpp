// peak_working_set.exe COMMAND_FILE: starts the command line held in COMMAND_FILE as it stands,
// waits for it and prints its exit code and the highest peak working set the system reported for
// it. The counters are read while the process runs (every few milliseconds), as a process that
// has ended may no longer have them.
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <string>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: peak_working_set COMMAND_FILE\n");
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

    STARTUPINFOA startup {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process {};
    if (!CreateProcessA(nullptr, command_line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        std::fprintf(stderr, "CreateProcess failed: %lu\n", GetLastError());
        return 102;
    }
    SIZE_T peak = 0;
    for (bool running = true; running;) {
        running = WaitForSingleObject(process.hProcess, 2) == WAIT_TIMEOUT;
        PROCESS_MEMORY_COUNTERS counters {};
        counters.cb = sizeof counters;
        if (GetProcessMemoryInfo(process.hProcess, &counters, sizeof counters)) peak = std::max(peak, counters.PeakWorkingSetSize);
    }
    DWORD exit_code = 103;
    GetExitCodeProcess(process.hProcess, &exit_code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    std::printf("exit code %lu\npeak working set %lu KiB\n", exit_code, static_cast<unsigned long>(peak / 1024));
    return static_cast<int>(exit_code);
}
