// hold_file.exe FILE SHARING MARKER: holds FILE open for reading, as a viewer or a virus scanner
// does, with the sharing given as letters (r read, w write, d delete; "-" for none), until the
// file MARKER, which it creates once the file is open, is removed (at most 60 seconds).
#include <windows.h>

#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: hold_file FILE SHARING MARKER\n");
        return 100;
    }
    DWORD sharing = 0;
    if (std::strchr(argv[2], 'r')) sharing |= FILE_SHARE_READ;
    if (std::strchr(argv[2], 'w')) sharing |= FILE_SHARE_WRITE;
    if (std::strchr(argv[2], 'd')) sharing |= FILE_SHARE_DELETE;
    HANDLE held = CreateFileA(argv[1], GENERIC_READ, sharing, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (held == INVALID_HANDLE_VALUE) {
        std::fprintf(stderr, "cannot open %s: error %lu\n", argv[1], GetLastError());
        return 101;
    }
    HANDLE marker = CreateFileA(argv[3], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (marker == INVALID_HANDLE_VALUE) return 102;
    CloseHandle(marker);
    for (int i = 0; i < 1200 && GetFileAttributesA(argv[3]) != INVALID_FILE_ATTRIBUTES; ++i) Sleep(50);
    CloseHandle(held);
    return 0;
}
