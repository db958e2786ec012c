// hold_file.exe FILE SHARING MARKER [NEXT SHARING MS]: holds FILE open for reading, as a viewer or
// a virus scanner does, with the sharing given as letters (r read, w write, d delete; "-" for
// none), until the file MARKER, which it creates once the file is open, is removed (at most 60
// seconds). With NEXT (a pattern such as "C:\t\~kv*.tmp"), it then waits for a new file that
// matches, opens it with the second sharing the moment it can (as a scanner opens a file that has
// just been closed), lets FILE go, and holds the new file for MS milliseconds (or until MARKER is
// removed): a hold on the work file or the backup of a replace, caught for certain.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

DWORD sharing_of(const char* letters) {
    DWORD sharing = 0;
    if (std::strchr(letters, 'r')) sharing |= FILE_SHARE_READ;
    if (std::strchr(letters, 'w')) sharing |= FILE_SHARE_WRITE;
    if (std::strchr(letters, 'd')) sharing |= FILE_SHARE_DELETE;
    return sharing;
}

bool marker_there(const char* marker) { return GetFileAttributesA(marker) != INVALID_FILE_ATTRIBUTES; }

// The first file matching the pattern that opens with the sharing given.
HANDLE open_match(const char* pattern, DWORD sharing) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(pattern, &found);
    if (search == INVALID_HANDLE_VALUE) return INVALID_HANDLE_VALUE;
    std::string directory(pattern);
    directory.erase(directory.find_last_of('\\') + 1);
    HANDLE opened = INVALID_HANDLE_VALUE;
    do {
        opened = CreateFileA((directory + found.cFileName).c_str(), GENERIC_READ, sharing, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    } while (opened == INVALID_HANDLE_VALUE && FindNextFileA(search, &found));
    FindClose(search);
    return opened;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4 && argc != 7) {
        std::fprintf(stderr, "usage: hold_file FILE SHARING MARKER [NEXT SHARING MS]\n");
        return 100;
    }
    HANDLE held =
        CreateFileA(argv[1], GENERIC_READ, sharing_of(argv[2]), nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (held == INVALID_HANDLE_VALUE) {
        std::fprintf(stderr, "cannot open %s: error %lu\n", argv[1], GetLastError());
        return 101;
    }
    HANDLE marker = CreateFileA(argv[3], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (marker == INVALID_HANDLE_VALUE) return 102;
    CloseHandle(marker);
    int step = 0;
    if (argc == 7) {
        HANDLE next = INVALID_HANDLE_VALUE;
        for (; step < 60000 && next == INVALID_HANDLE_VALUE && marker_there(argv[3]); ++step) {
            next = open_match(argv[4], sharing_of(argv[5]));
            if (next == INVALID_HANDLE_VALUE) Sleep(1);
        }
        CloseHandle(held);
        held = next;
        std::printf("%s\n", next == INVALID_HANDLE_VALUE ? "not caught" : "caught");
        std::fflush(stdout);
        for (int waited = 0; waited < std::atoi(argv[6]) && marker_there(argv[3]); waited += 10) Sleep(10);
        if (held != INVALID_HANDLE_VALUE) CloseHandle(held);
        return 0;
    }
    for (int i = 0; i < 1200 && marker_there(argv[3]); ++i) Sleep(50);
    CloseHandle(held);
    return 0;
}
