// This program's codec and libtiff's timed in turns on the same page, one run each per round,
// so that both see the same machine: on a shared virtual machine the speed drifts by tens of
// percent from one second to the next, and timing one coder for a second and then the other
// compares two different machines. Reports, per page, the fastest run of each and the median of
// the per-round speed ratios. Run: build/native/korvif_paired_bench [rounds]
#include <tiffio.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "codec/page_decoder.h"
#include "image/fax_raster.h"
#include "image/page_bitmap.h"
#include "support/file_forms.h"
#include "pages.h"

namespace korvif::bench {

namespace {

double seconds_of(const std::function<void()>& run) {
    const auto start = std::chrono::steady_clock::now();
    run();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

struct Pair {
    std::function<void()> ours;
    std::function<void()> theirs;
};

void report(const char* what, const std::string& page, const Pair& pair, int rounds) {
    std::vector<double> ours;
    std::vector<double> theirs;
    std::vector<double> ratios;
    for (int warm = 0; warm < 3; ++warm) {
        pair.ours();
        pair.theirs();
    }
    for (int round = 0; round < rounds; ++round) {
        const double a = seconds_of(pair.ours);
        const double b = seconds_of(pair.theirs);
        ours.push_back(a);
        theirs.push_back(b);
        ratios.push_back(b / a);
    }
    std::sort(ours.begin(), ours.end());
    std::sort(theirs.begin(), theirs.end());
    std::sort(ratios.begin(), ratios.end());
    std::printf("%-7s %-7s ours %9.1f us  libtiff %9.1f us  fastest-run ratio %5.2f  median ratio %5.2f\n", what,
                page.c_str(), ours.front() * 1e6, theirs.front() * 1e6, theirs.front() / ours.front(),
                ratios[ratios.size() / 2]);
}

}  // namespace

}  // namespace korvif::bench

int main(int argc, char** argv) {
    using namespace korvif;
    using namespace korvif::bench;
    const int rounds = argc > 1 ? std::atoi(argv[1]) : 200;
    TIFFSetWarningHandler(nullptr);
    for (const BenchPage& page : bench_pages()) {
        TIFF* tiff = TIFFOpen(page.tiff_path.c_str(), "r");
        if (tiff == nullptr) return 1;
        std::vector<std::uint8_t> strip(static_cast<std::size_t>(TIFFStripSize(tiff)));
        const Pair decode {
            [&] {
                const Outcome<DecodedPage> decoded = decode_page(page.mh);
                if (!decoded || !page_bitmap(*decoded)) std::abort();
            },
            [&] { TIFFReadEncodedStrip(tiff, 0, strip.data(), static_cast<tmsize_t>(strip.size())); },
        };
        report("decode", page.name, decode, rounds);
        TIFFClose(tiff);

        PackedBitmap bitmap = *PackedBitmap::allocate(page.bitmap.size());
        std::memcpy(bitmap.data(), page.bitmap.data(), page.bitmap.size());
        const std::vector<std::uint8_t> raster = top_down_rows(page);
        const std::string ours_path = bench_directory() + "/" + page.name + "-ours.g3";
        const std::string tiff_path = bench_directory() + "/" + page.name + "-libtiff.tif";
        const Pair encode {
            [&] { encode_raster(fax_raster_rows(bitmap, RowPairs::apart), ours_path.c_str()); },
            [&] { write_libtiff_g3(tiff_path, raster); },
        };
        report("encode", page.name, encode, rounds);
    }
    return 0;
}
