#include "pages.h"

#include <tiffio.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "codec/page_decoder.h"
#include "image/page_bitmap.h"

namespace korvif::bench {

namespace {

void run(const std::string& command) {
    if (std::system(command.c_str()) != 0) throw std::runtime_error("failed: " + command);
}

std::vector<std::uint8_t> read_all(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

BenchPage make_page(const std::string& name, const std::string& pbm_command) {
    const std::string base = bench_directory() + "/" + name;
    run(pbm_command + " > " + base + ".pbm");
    run("pbmtog3 -reversebits " + base + ".pbm > " + base + ".g3 2>/dev/null");
    run("fax2tiff -1 -L -5 -p -r 100000 -o " + base + ".tif " + base + ".g3 2>/dev/null");
    BenchPage page;
    page.name = name;
    page.tiff_path = base + ".tif";
    page.mh = read_all(base + ".g3");
    PackedBitmap bitmap = *page_bitmap(*decode_page(page.mh));
    page.bitmap.assign(bitmap.data(), bitmap.data() + bitmap.size());
    page.rows = bitmap.height();
    return page;
}

std::string text_command() {
    std::string text;
    const char* words[] = {"Korvane",    "Faxdesk",  "ISDN",    "Seite", "Telefax", "Empfang",  "Sendebericht",
                           "0123456789", "Modified", "Huffman", "T.4",   "Zeile",   "Dokument", "Aufloesung"};
    for (int line = 0; line < 60; ++line) {
        for (int word = 0; word < 12; ++word) {
            text += words[(line * 7 + word * 3) % 14];
            text += ' ';
        }
        text += '\n';
    }
    const std::string file = bench_directory() + "/text.txt";
    std::ofstream(file) << text;
    return "pbmtext -nomargins < " + file +
           " 2>/dev/null | pnmscale -xsize 1728 -ysize 2200 2>/dev/null | "
           "pgmtopbm -threshold 2>/dev/null";
}

}  // namespace

std::string bench_directory() {
    static const std::string directory = [] {
        const std::string path = "/dev/shm/korvif-bench";
        run("mkdir -p " + path);
        return path;
    }();
    return directory;
}

const std::vector<BenchPage>& bench_pages() {
    static const std::vector<BenchPage> pages = {
        make_page("text", text_command()),
        make_page("empty",
                  "pbmtext 'Korvane Faxdesk' 2>/dev/null | pnmpad -white -width 1728 -height 2200 2>/dev/null"),
        make_page("dither", "pgmramp -lr 1728 2200 | pamditherbw -fs -randomseed=1 2>/dev/null | pamtopnm 2>/dev/null"),
    };
    return pages;
}

std::vector<std::uint8_t> top_down_rows(const BenchPage& page) {
    const auto rows = static_cast<std::size_t>(page.rows);
    std::vector<std::uint8_t> raster(rows * 216);
    for (std::size_t row = 0; row < rows; ++row) {
        std::memcpy(raster.data() + row * 216, page.bitmap.data() + 48 + (rows - 1 - row) * 216, 216);
    }
    return raster;
}

void write_libtiff_g3(const std::string& path, const std::vector<std::uint8_t>& rows) {
    const auto count = static_cast<std::uint32_t>(rows.size() / 216);
    TIFF* tiff = TIFFOpen(path.c_str(), "w");
    TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, 1728);
    TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, count);
    TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 1);
    TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, 1);
    TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE);
    TIFFSetField(tiff, TIFFTAG_COMPRESSION, COMPRESSION_CCITTFAX3);
    TIFFSetField(tiff, TIFFTAG_GROUP3OPTIONS, GROUP3OPT_FILLBITS);
    TIFFSetField(tiff, TIFFTAG_FILLORDER, FILLORDER_LSB2MSB);
    TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, count);
    TIFFWriteEncodedStrip(tiff, 0, const_cast<std::uint8_t*>(rows.data()), static_cast<tmsize_t>(rows.size()));
    TIFFClose(tiff);
}

}  // namespace korvif::bench
