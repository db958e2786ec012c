// The pages the benchmarks work on, made once per run with netpbm in /dev/shm:
//   text   a dense page of text, 1728 x 2200, rendered by pbmtext and scaled to the page
//   empty  a nearly empty page, 1728 x 2200, with one short line of text
//   dither a photo-like page: a grey ramp dithered by Floyd-Steinberg, short runs everywhere
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace korvif::bench {

struct BenchPage {
    std::string name;
    std::string tiff_path;             // the page as a one-strip TIFF, CCITT G3 1D, made by fax2tiff
    std::vector<std::uint8_t> mh;      // the page's MH data (pbmtog3 -reversebits)
    std::vector<std::uint8_t> bitmap;  // the page as a packed bitmap (48-byte header, rows bottom-up)
    int rows = 0;
};

const std::vector<BenchPage>& bench_pages();

// A directory in memory for files that the benchmarks write.
std::string bench_directory();

// The page's rows top-down, as libtiff takes them.
std::vector<std::uint8_t> top_down_rows(const BenchPage& page);

// libtiff writing the rows as a one-strip CCITT Group 3 one-dimensional TIFF.
void write_libtiff_g3(const std::string& path, const std::vector<std::uint8_t>& rows);

}  // namespace korvif::bench
