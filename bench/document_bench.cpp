// Whole commands on long documents of dithered pages, each run as the program itself (a child
// process): S2F, RES, F2S and F2D, with the time and the peak memory that the system reports for
// each, next to the time `dd` takes to copy the command's output with the same durability (the
// program does not sync its work file before the rename, so neither does the copy). With the
// Windows build directory given, korvif32.exe runs the same commands under Wine and its peak
// working set is reported as well.
//
// Run: build/native/korvif_document_bench [--program P] [--windows DIR] [--dir D] [--runs N] [PAGES...]
//   PAGES  document lengths in pages (100 and 255 by default)
//   P      the native program (build/native/korvif32 by default)
//   DIR    the Windows build directory holding korvif32.exe and run_exact.exe
//   D      where the documents and outputs go (/dev/shm/korvif-bench by default)
//   N      runs per command; the fastest time and the highest peak are reported (3 by default)
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "faxdoc/document.h"
#include "pages.h"

extern char** environ;

namespace korvif::bench {

namespace {

struct Measure {
    double seconds = 1e30;
    long peak_kib = 0;  // ru_maxrss of the child, or the Windows peak working set
};

// Runs argv to its end with its standard output in `output_path`.
double run_child(const std::vector<std::string>& argv, const std::string& output_path) {
    std::vector<char*> pointers;
    for (const std::string& argument : argv) pointers.push_back(const_cast<char*>(argument.c_str()));
    pointers.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, output_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    const auto start = std::chrono::steady_clock::now();
    pid_t child = 0;
    if (posix_spawnp(&child, pointers[0], &actions, nullptr, pointers.data(), environ) != 0) {
        throw std::runtime_error("cannot start " + argv[0]);
    }
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    waitpid(child, &status, 0);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        throw std::runtime_error(argv[0] + " " + argv.back() + " failed");
    return seconds;
}

std::string read_text(const std::string& path);

// The child's peak resident size comes through a small process of its own (this program started
// afresh with --measure): a child's peak counts the memory of the process it was started from,
// and this one holds the pages.
Measure run_measured(const std::vector<std::string>& argv, const std::string& output_path) {
    std::vector<std::string> measured = {"/proc/self/exe", "--measure"};
    measured.insert(measured.end(), argv.begin(), argv.end());
    Measure measure;
    measure.seconds = run_child(measured, output_path);
    const std::string text = read_text(output_path);
    const auto at = text.rfind("peak resident ");
    if (at == std::string::npos) throw std::runtime_error("no peak reported for " + argv.back());
    measure.peak_kib = std::atol(text.c_str() + at + 14);
    return measure;
}

std::string read_text(const std::string& path) {
    std::ifstream in(path);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

long file_size(const std::string& path) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    return static_cast<long>(in.tellg());
}

std::string windows_path(const std::string& path) {
    std::string windows = "Z:" + path;
    std::replace(windows.begin(), windows.end(), '/', '\\');
    return windows;
}

struct Setup {
    std::string program;
    std::string windows;
    std::string directory;
    int runs = 3;
};

// The command's fastest run and highest peak, natively or (with `windows`) as korvif32.exe under Wine.
Measure measure_command(const Setup& setup, const std::string& command, bool windows) {
    Measure best;
    const std::string log = setup.directory + "/child.log";
    for (int run = 0; run < setup.runs; ++run) {
        Measure one;
        if (!windows) {
            one = run_measured({setup.program, command}, log);
        } else {
            const std::string command_file = setup.directory + "/command.txt";
            std::ofstream(command_file) << windows_path(setup.windows + "/korvif32.exe") << ' ' << command;
            one.seconds =
                run_child({"wine", setup.windows + "/run_exact.exe", windows_path(command_file), "--peak"}, log);
            const std::string text = read_text(log);
            const auto at = text.find("peak working set ");
            if (at == std::string::npos) throw std::runtime_error("no peak reported: " + text);
            one.peak_kib = std::atol(text.c_str() + at + 17);
        }
        best.seconds = std::min(best.seconds, one.seconds);
        best.peak_kib = std::max(best.peak_kib, one.peak_kib);
    }
    return best;
}

Measure measure_copy(const Setup& setup, const std::string& path) {
    Measure best;
    for (int run = 0; run < setup.runs; ++run) {
        const double seconds =
            run_child({"dd", "if=" + path, "of=" + setup.directory + "/copy", "bs=64K", "status=none"},
                      setup.directory + "/child.log");
        best.seconds = std::min(best.seconds, seconds);
    }
    std::remove((setup.directory + "/copy").c_str());
    return best;
}

std::string digest(const std::string& path) {
    const std::string out = path + ".sha256";
    const bool done = std::system(("sha256sum '" + path + "' > '" + out + "'").c_str()) == 0;
    const std::string text = read_text(out);
    std::remove(out.c_str());
    return done ? text.substr(0, 16) : "?";
}

void write_document(const std::string& path, const std::vector<std::uint8_t>& page, std::uint32_t pages) {
    DocumentHeader header {};
    std::memcpy(header.data() + maker_offset, "Korvane         3.0             ", 32);
    header[format_byte_offset] = 2;
    header[page_count_offset] = static_cast<std::uint8_t>(pages);
    for (std::uint32_t n = 0; n < pages; ++n)
        set_page_table_entry(header, n, document_header_size + n * static_cast<std::uint32_t>(page.size()));
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(header.data()), header.size());
    for (std::uint32_t n = 0; n < pages; ++n)
        out.write(reinterpret_cast<const char*>(page.data()), static_cast<std::streamsize>(page.size()));
}

// What a host could do instead of F2P and F2T: F2D on every page, one run each (the sum of the
// times, the highest peak), and libtiff's tiff2pdf on F2T's output.
void compare_with_page_images(const Setup& setup, const std::string& document, std::uint32_t pages) {
    const std::string& dir = setup.directory;
    Setup once = setup;
    once.runs = 1;
    Measure every_page {.seconds = 0};
    for (std::uint32_t n = 1; n <= pages; ++n) {
        const Measure page =
            measure_command(once, "F2D:" + std::to_string(n) + ",0," + document + "," + dir + "/f2d.bmp", false);
        every_page.seconds += page.seconds;
        every_page.peak_kib = std::max(every_page.peak_kib, page.peak_kib);
    }
    std::printf("| F2D of every page, one run each | %.1f each | %.3f | %.1f | - | - | - |\n",
                file_size(dir + "/f2d.bmp") / 1e6, every_page.seconds, every_page.peak_kib / 1024.0);
    Measure tiff2pdf;
    for (int run = 0; run < setup.runs; ++run) {
        const Measure one =
            run_measured({"tiff2pdf", "-o", dir + "/tiff2pdf.pdf", dir + "/f2t.tif"}, dir + "/child.log");
        tiff2pdf.seconds = std::min(tiff2pdf.seconds, one.seconds);
        tiff2pdf.peak_kib = std::max(tiff2pdf.peak_kib, one.peak_kib);
    }
    std::printf("| tiff2pdf of F2T's output | %.1f | %.3f | %.1f | - | - | - |\n",
                file_size(dir + "/tiff2pdf.pdf") / 1e6, tiff2pdf.seconds, tiff2pdf.peak_kib / 1024.0);
}

void bench_document(const Setup& setup, const std::vector<std::uint8_t>& page, std::uint32_t pages, bool windows) {
    const std::string& dir = setup.directory;
    const std::string document = dir + "/document.kvd";
    const std::string sff = dir + "/~isdnfax.sff";
    write_document(document, page, pages);
    struct Row {
        const char* name;
        std::string command;
        std::string output;  // empty: no copy to compare with
    };
    const std::string n = std::to_string(pages);
    auto path = [&](const std::string& p) { return windows ? windows_path(p) : p; };
    const Row rows[] = {
        {"none", "XYZ:1", ""},  // no command: what the program takes before it does anything
        {"F2S", "F2S:0,1," + n + "," + path(document) + "," + path(dir + "/"), sff},
        {"S2F", "S2F:0," + path(sff) + "," + path(dir + "/s2f.kvd"), dir + "/s2f.kvd"},
        {"RES", "RES:" + path(document) + "," + path(dir + "/res.kvd"), dir + "/res.kvd"},
        {"F2D", "F2D:" + n + ",0," + path(document) + "," + path(dir + "/f2d.bmp"), ""},
        // The dithered pages, from pbmtog3, are coded again; RES's pages, from the encoder, copied.
        {"F2P", "F2P:1," + n + "," + path(document) + "," + path(dir + "/f2p.pdf"), dir + "/f2p.pdf"},
        {"F2T", "F2T:1," + n + "," + path(document) + "," + path(dir + "/f2t.tif"), dir + "/f2t.tif"},
        {"F2P of RES's", "F2P:1," + n + "," + path(dir + "/res.kvd") + "," + path(dir + "/f2p-res.pdf"),
         dir + "/f2p-res.pdf"},
        {"F2T of RES's", "F2T:1," + n + "," + path(dir + "/res.kvd") + "," + path(dir + "/f2t-res.tif"),
         dir + "/f2t-res.tif"},
    };
    std::printf("%u pages, document of %.1f MB%s\n", pages, file_size(document) / 1e6,
                windows ? ", korvif32.exe under Wine" : "");
    std::printf("| command | output MB | time s | peak MiB | dd copy s | time / copy | output SHA-256 |\n");
    std::printf("|---|---|---|---|---|---|---|\n");
    for (const Row& row : rows) {
        const Measure command = measure_command(setup, row.command, windows);
        std::printf("| %s | ", row.name);
        if (row.output.empty()) {
            std::printf("- | %.3f | %.1f | - | - | - |\n", command.seconds, command.peak_kib / 1024.0);
        } else {
            const Measure copy = measure_copy(setup, row.output);
            std::printf("%.1f | %.3f | %.1f | %.3f | %.2f | %s |\n", file_size(row.output) / 1e6, command.seconds,
                        command.peak_kib / 1024.0, copy.seconds, command.seconds / copy.seconds,
                        digest(row.output).c_str());
        }
        std::fflush(stdout);
    }
    if (!windows) compare_with_page_images(setup, document, pages);
    for (const char* name :
         {"/document.kvd", "/~isdnfax.sff", "/s2f.kvd", "/res.kvd", "/f2d.bmp", "/f2p.pdf", "/f2t.tif", "/f2p-res.pdf",
          "/f2t-res.tif", "/tiff2pdf.pdf", "/child.log", "/command.txt"}) {
        std::remove((dir + name).c_str());
    }
}

// --measure PROGRAM ARGUMENTS...: runs the program and prints its peak resident size.
int measure(char** argv) {
    const pid_t child = fork();
    if (child == 0) {
        execvp(argv[0], argv);
        _exit(127);
    }
    int status = 0;
    rusage usage {};
    if (child < 0 || wait4(child, &status, 0, &usage) != child) return 1;
    std::printf("peak resident %ld KiB\n", usage.ru_maxrss);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 1;
}

}  // namespace

}  // namespace korvif::bench

int main(int argc, char** argv) {
    using namespace korvif::bench;
    if (argc > 2 && std::strcmp(argv[1], "--measure") == 0) return measure(argv + 2);
    Setup setup;
    setup.program = "build/native/korvif32";
    setup.directory = bench_directory();
    std::vector<std::uint32_t> lengths;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        // clang-format off
        if (i + 1 < argc && argument == "--program") setup.program = argv[++i];
        else if (i + 1 < argc && argument == "--windows") setup.windows = argv[++i];
        else if (i + 1 < argc && argument == "--dir") setup.directory = argv[++i];
        else if (i + 1 < argc && argument == "--runs") setup.runs = std::max(1, std::atoi(argv[++i]));
        else lengths.push_back(static_cast<std::uint32_t>(std::clamp(std::atoi(argv[i]), 1, 255)));
        // clang-format on
    }
    if (lengths.empty()) lengths = {100, 255};
    // RES puts its private copy of the source in the temporary directory: beside the outputs.
    setenv("TMPDIR", setup.directory.c_str(), 1);
    if (!setup.windows.empty()) {
        setenv("WINEPREFIX", (setup.windows + "/wineprefix").c_str(), 1);
        setenv("WINEARCH", "win32", 1);
        setenv("WINEDEBUG", "-all", 1);
    }
    try {
        const auto& pages = bench_pages();
        const BenchPage& dither =
            *std::find_if(pages.begin(), pages.end(), [](const BenchPage& p) { return p.name == "dither"; });
        std::printf("dithered page: %zu bytes of MH data, %d rows\n\n", dither.mh.size(), dither.rows);
        for (const std::uint32_t length : lengths) {
            bench_document(setup, dither.mh, length, false);
            std::printf("\n");
            if (!setup.windows.empty()) {
                bench_document(setup, dither.mh, length, true);
                std::printf("\n");
            }
        }
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
    return 0;
}
