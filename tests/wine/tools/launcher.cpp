// run_exact.exe COMMAND_FILE [--peak]: starts the command line held in COMMAND_FILE exactly as it
// stands (no quoting added or removed), waits for it and returns its exit code. The command line
// comes from a file so that no shell or Wine argument handling can change it. With --peak it
// also prints the highest peak working set the system reported for the process (for the
// benchmarks), read every few milliseconds while it runs: an ended process may have none.
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

int main(int argc, char** argv) {
    const bool peak_wanted = argc == 3 && std::strcmp(argv[2], "--peak") == 0;
    if (argc != 2 && !peak_wanted) {
        std::fprintf(stderr, "usage: run_exact COMMAND_FILE [--peak]\n");
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
    SIZE_T peak = 0;
    for (bool running = true; running;) {
        running = WaitForSingleObject(process.hProcess, peak_wanted ? 2 : INFINITE) == WAIT_TIMEOUT;
        PROCESS_MEMORY_COUNTERS counters {};
        counters.cb = sizeof counters;
        if (peak_wanted && GetProcessMemoryInfo(process.hProcess, &counters, sizeof counters)) {
            peak = std::max(peak, counters.PeakWorkingSetSize);
        }
    }
    DWORD exit_code = 103;
    GetExitCodeProcess(process.hProcess, &exit_code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    std::printf("exit code %lu\n", exit_code);
    if (peak_wanted) std::printf("peak working set %lu KiB\n", static_cast<unsigned long>(peak / 1024));
    return static_cast<int>(exit_code);
}
