// Writes the fixed inputs over which tests/conversion_outputs.sh runs the file commands: fax
// documents good, dense, blank and damaged, SFF files of every record kind, BMP files of each
// header, row order and palette, and long documents and SFF files. Built from a fixed seed, so every run writes the
// same bytes.
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "codec/mh_tables.h"
#include "support/bitmaps.h"
#include "support/documents.h"
#include "support/mh_writer.h"
#include "support/random_pages.h"
#include "support/sff_builder.h"

namespace {

using korvif::PackedBitmap;
using korvif::test::Bytes;
using korvif::test::MhWriter;
using korvif::test::Random;

constexpr int width = 1728;

// Runs that fill a line exactly: mostly short, now and then long.
std::vector<int> random_runs(Random& random, int short_limit) {
    std::vector<int> runs =
        korvif::test::line_runs([&] { return random.one_in(16) ? random.below(400) : 1 + random.below(short_limit); });
    if (runs.size() % 2 == 0) runs.push_back(0);  // end on a white run, as a coder would not need to
    return runs;
}

MhWriter& rtc(MhWriter& page) {
    page.aligned_eol();
    for (int i = 0; i < 5; ++i) page.eol();
    return page;
}

// Dense lines, runs of white lines and repeated lines: over 16 KB, so that the decoder splits it.
Bytes dense_page(std::uint32_t seed, int lines) {
    Random random(seed);
    MhWriter page;
    std::vector<int> previous = {width};
    for (int line = 0; line < lines; ++line) {
        const int kind = random.below(10);
        std::vector<int> runs = kind == 0 ? std::vector<int> {width} : kind == 1 ? previous : random_runs(random, 12);
        page.aligned_eol().runs(runs);
        previous = runs;
    }
    return rtc(page).bytes();
}

// Rows of text-like marks: short black runs on white.
Bytes text_page(std::uint32_t seed, int lines) {
    Random random(seed);
    MhWriter page;
    for (int line = 0; line < lines; ++line) {
        std::vector<int> runs;
        if (line % 24 < 8) {
            runs = {width};
        } else {
            int x = 0;
            while (x < width - 200) {
                const int white = 3 + random.below(40);
                const int black = 1 + random.below(6);
                runs.push_back(white);
                runs.push_back(black);
                x += white + black;
            }
            runs.push_back(width - x);
        }
        page.aligned_eol().runs(runs);
    }
    return rtc(page).bytes();
}

Bytes blank_page(int lines) {
    MhWriter page;
    for (int line = 0; line < lines; ++line) page.aligned_eol().runs({width});
    return rtc(page).bytes();
}

// Lines that no coder writes: too long, too short, a page wider than 1728 pixels, codes of no
// pixels beyond the re-coder's guard, a line cut by an EOL, and the data ending inside a code.
Bytes damaged_page(std::uint32_t seed) {
    Random random(seed);
    MhWriter page;
    page.aligned_eol().runs({1000, 500, 600});  // 2100 pixels
    page.aligned_eol().runs({100, 20, 30});     // 150 pixels
    page.aligned_eol().extended_makeup(1792).runs({300, 100, 2000});
    page.aligned_eol().extended_makeup(2560).code(0, false).code(63, true);
    page.aligned_eol();
    for (int i = 0; i < 500; ++i) page.code(0, false).code(0, true);  // 9,000 bits of no pixels
    page.runs({10, 10});
    page.aligned_eol().runs({1600, 10}).eol().runs({width});
    for (int line = 0; line < 40; ++line) page.aligned_eol().runs(random_runs(random, 30));
    page.bits("0000000000000000000000001");  // more zeros than an EOL has
    for (int i = 0; i < 200; ++i) page.bits(random.below(2) ? "1" : "0");
    page.aligned_eol().runs({width}).eol().eol().runs({5, 5});
    page.bits("0000001");  // ends inside a code
    return page.bytes();
}

// A page of text-like lines in one of the forms that F2P and F2T copy as they stand (0 to 2) or
// code again (3 to 6): the RTC's first EOL closing the last line, as S2F writes; an aligned EOL
// after the last line and fill bits before the RTC's EOLs; lines that end black; an EOL off the
// byte boundary between lines; doubled EOLs; a code after a line's end; no EOL before the first
// line.
Bytes page_in_form(int form) {
    Random random(30 + form);
    MhWriter page;
    for (int line = 0; line < 40; ++line) {
        if (line > 0 || form != 6) page.aligned_eol();
        if (form == 4 && line % 8 == 7) page.aligned_eol();
        std::vector<int> runs = korvif::test::line_runs([&] { return 1 + random.below(40); });
        if (form == 2 && runs.size() % 2 == 1) {
            --runs.back();
            runs.push_back(1);
        }
        if (form == 5 && runs.size() % 2 == 0) runs.push_back(0);
        page.runs(runs);
        if (form == 3 && line % 5 == 2) page.eol().runs(runs);
    }
    if (form == 1) {
        page.aligned_eol();
        for (int i = 0; i < 5; ++i) page.aligned_eol();
        return page.bytes();
    }
    for (int i = 0; i < 6; ++i) page.eol();
    return page.bytes();
}

void write(const std::string& directory, const char* name, const Bytes& bytes) {
    korvif::test::write_file(directory + "/" + name, bytes);
}

void write_documents(const std::string& dir) {
    write(dir, "dense.kvd", korvif::test::make_document({dense_page(1, 500), text_page(2, 300)}, 0));
    write(dir, "fine.kvd", korvif::test::make_document({text_page(3, 400), dense_page(4, 120)}, 1, true));
    write(dir, "blank.kvd", korvif::test::make_document({blank_page(1100), {}, blank_page(3)}, 1));
    Bytes damaged = korvif::test::make_document({damaged_page(5), Random(6).bytes(3000), dense_page(7, 30)}, 0);
    damaged[288] = 5;  // five pages in a table of three: the fourth entry is 0
    write(dir, "damaged.kvd", damaged);
    // The third page's table entry beyond the end of the file.
    Bytes beyond = korvif::test::make_document({text_page(8, 50), text_page(9, 50), text_page(10, 50)}, 0);
    beyond[520] = 0xFF, beyond[521] = 0xFF, beyond[522] = 0xFF;
    write(dir, "beyond.kvd", beyond);
    write(dir, "empty.kvd", korvif::test::make_document({}, 0, true));
    std::vector<Bytes> forms;
    for (int form = 0; form < 7; ++form) forms.push_back(page_in_form(form));
    write(dir, "forms.kvd", korvif::test::make_document(forms, 0));
    write(dir, "short.kvd", Bytes(1000, 0));
    std::filesystem::create_directory(dir + "/strips");
    write(dir + "/strips", "~ikvd001.kvd", text_page(11, 30));
}

void write_sff_files(const std::string& dir) {
    Random random(12);
    auto coded = [](const std::vector<int>& runs) { return MhWriter().runs(runs).fill_to_byte().bytes(); };
    auto line = [&](int short_limit) { return coded(random_runs(random, short_limit)); };
    korvif::test::SffBuilder records;
    records.page(1, 20);
    for (int i = 0; i < 30; ++i) records.line(line(40));
    // Runs of one and two pixels, over 256 bytes of codes: the long form, its length's high byte set.
    records.line(coded(korvif::test::line_runs([&] { return 1 + random.below(2); })));
    records.long_line(line(60));
    records.blank_lines(37).blank_lines(1).faulty_line().other_information({1, 2, 3, 4, 5});
    records.page(0);
    for (int i = 0; i < 20; ++i) records.line(line(12)).blank_lines(3);
    records.end_of_document();
    write(dir, "records.sff", records.bytes());
    Bytes truncated = records.bytes();
    truncated.resize(truncated.size() / 2);
    write(dir, "truncated.sff", truncated);
    write(dir, "short.sff", Bytes(records.bytes().begin(), records.bytes().begin() + 12));
    korvif::test::SffBuilder offset(30);
    offset.raw(Bytes(10, 0xAA)).page(0).line(line(20)).blank_lines(5).end_of_document();
    write(dir, "offset.sff", offset.bytes());
    korvif::test::SffBuilder many;
    for (int page = 0; page < 257; ++page) many.page(0).blank_lines(1 + page % 37);
    write(dir, "many.sff", many.end_of_document().bytes());
}

Bytes with_file_size(Bytes bytes) {
    const auto size = static_cast<std::uint32_t>(bytes.size());
    std::memcpy(bytes.data() + 2, &size, 4);
    return bytes;
}

// A 1-bit BMP file of `rows` rows, header and palette as given, pixels from a fixed pattern.
Bytes mono_bmp(std::int32_t bmp_width, std::int32_t height, std::uint32_t header_size, bool dark_first,
               std::uint32_t seed) {
    Random random(seed);
    const std::int32_t rows = height < 0 ? -height : height;
    PackedBitmap bitmap = korvif::test::make_mono_bitmap(
        bmp_width, rows, [&random](int x, int y) { return (x / 7 + y / 5) % 9 == 0 || random.one_in(23); });
    Bytes bytes = korvif::test::bmp_file_bytes(bitmap);
    std::uint8_t* header = bytes.data() + 14;
    std::memcpy(header + 8, &height, 4);
    if (dark_first) {
        const std::uint8_t palette[8] = {0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0};
        std::memcpy(header + 40, palette, 8);
    }
    if (header_size == 12) {
        // The core header: 16-bit width and height, 3-byte palette entries.
        // clang-format off
        Bytes core = {12, 0, 0, 0, static_cast<std::uint8_t>(bmp_width), static_cast<std::uint8_t>(bmp_width >> 8),
                      static_cast<std::uint8_t>(height), static_cast<std::uint8_t>(height >> 8), 1, 0, 1, 0,
                      header[40], header[41], header[42], header[44], header[45], header[46]};
        // clang-format on
        Bytes file(bytes.begin(), bytes.begin() + 14);
        file.insert(file.end(), core.begin(), core.end());
        file.insert(file.end(), bytes.begin() + 14 + 48, bytes.end());
        file[10] = 14 + 18;
        return with_file_size(file);
    }
    if (header_size > 40) {
        bytes.insert(bytes.begin() + 14 + 40, header_size - 40, 0);
        bytes[14] = static_cast<std::uint8_t>(header_size);
        bytes[10] = static_cast<std::uint8_t>(14 + header_size + 8);
    }
    return with_file_size(bytes);
}

Bytes grey_bmp() {
    Bytes bytes = {'B', 'M', 0x36, 0x05, 0, 0, 0, 0,  0, 0, 0x36, 0x04, 0, 0, 40,
                   0,   0,   0,    16,   0, 0, 0, 16, 0, 0, 0,    1,    0, 8, 0};
    bytes.resize(14 + 40);
    for (int i = 0; i < 256; ++i)
        bytes.insert(bytes.end(),
                     {static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(i), 0});
    for (int i = 0; i < 256; ++i) bytes.push_back(static_cast<std::uint8_t>(i));
    return bytes;
}

void write_bitmaps(const std::string& dir) {
    write(dir, "page.bmp", mono_bmp(width, 300, 40, false, 13));
    write(dir, "topdown.bmp", mono_bmp(width, -120, 40, false, 14));
    write(dir, "core.bmp", mono_bmp(width, 80, 12, false, 15));
    write(dir, "v5.bmp", mono_bmp(width, 60, 124, false, 16));
    write(dir, "dark.bmp", mono_bmp(width, 60, 40, true, 17));
    write(dir, "narrow.bmp", mono_bmp(1000, 121, 40, false, 18));
    write(dir, "wide.bmp", mono_bmp(2000, 90, 40, false, 19));
    write(dir, "one-row.bmp", mono_bmp(width, 1, 40, false, 20));
    write(dir, "grey.bmp", grey_bmp());
    write(dir, "text.bmp", Bytes {'n', 'o', ' ', 'b', 'i', 't', 'm', 'a', 'p'});
}

// Long documents and SFF files, to pin down the streamed outputs of S2F, RES and F2S: dense
// pages with blank, faulty and damaged lines, many pages long.

// An SFF file of `pages` pages of `lines` records each: line records in both forms, runs of blank
// lines, faulty lines and other information, page headers of 16 and 24 bytes; with `huge_lines`,
// every fiftieth record is a line of 16 to 32 KB.
Bytes long_sff(std::uint32_t seed, int pages, int lines, std::uint8_t resolution, bool huge_lines = false) {
    const std::vector<Bytes> bank = korvif::test::line_bank();
    Random random(seed);
    korvif::test::SffBuilder sff;
    for (int page = 0; page < pages; ++page) {
        sff.page(resolution, page % 3 == 2 ? 24 : 16);
        for (int line = 0; line < lines; ++line) {
            const int kind = random.below(100);
            const Bytes& codes = bank[random.below(static_cast<int>(bank.size()))];
            if (huge_lines && line % 50 == 0) {
                sff.long_line(random.bytes(16384 + random.below(16384)));
            } else if (kind < 75) {
                sff.line(codes);
            } else if (kind < 80) {
                sff.long_line(codes);
            } else if (kind < 92) {
                sff.blank_lines(1 + random.below(37));
            } else if (kind < 96) {
                sff.faulty_line();
            } else {
                sff.other_information(random.bytes(1 + random.below(60)));
            }
        }
    }
    return sff.bytes();
}

// A fax document of `pages` pages of `lines` lines each: dense and sparse lines, white lines,
// lines of garbage codes and lines cut short, each page closed by an RTC.
Bytes long_document(std::uint32_t seed, int pages, int lines, std::uint8_t fine_flag) {
    const std::vector<Bytes> bank = korvif::test::line_bank();
    Random random(seed);
    std::vector<Bytes> page_data;
    for (int page = 0; page < pages; ++page) {
        Bytes data;
        for (int line = 0; line < lines; ++line) {
            data.insert(data.end(), korvif::mh::aligned_eol.begin(), korvif::mh::aligned_eol.end());
            const int kind = random.below(100);
            const Bytes& codes = bank[random.below(static_cast<int>(bank.size()))];
            if (kind < 80) {
                korvif::test::append(data, codes);
            } else if (kind < 92) {
                data.insert(data.end(), korvif::mh::white_line_code.begin(), korvif::mh::white_line_code.end());
            } else if (kind < 96) {
                korvif::test::append(data, random.bytes(2 + random.below(80)));
            } else {
                data.insert(data.end(), codes.begin(),
                            codes.begin() + 1 + random.below(static_cast<int>(codes.size()) - 1));
            }
        }
        data.insert(data.end(), korvif::mh::rtc_bytes.begin(), korvif::mh::rtc_bytes.end());
        page_data.push_back(std::move(data));
    }
    return korvif::test::make_document(page_data, fine_flag);
}

// In a directory of their own, which only the cases that name it copy.
void write_long_inputs(const std::string& dir) {
    std::filesystem::create_directory(dir);
    write(dir, "normal.sff", long_sff(1, 40, 1100, 0));
    Bytes cut = long_sff(3, 20, 2200, 1);
    cut.resize(cut.size() - 100);  // the file ends inside a record
    write(dir, "fine-cut.sff", cut);
    write(dir, "huge-lines.sff", long_sff(5, 6, 1100, 0, true));
    write(dir, "normal.kvd", long_document(11, 20, 1100, 0));
    write(dir, "fine.kvd", long_document(12, 12, 2200, 1));
    write(dir, "strips.kvd", long_document(21, 20, 1100, 1));
    write(dir, "~ikvd002.kvd", korvif::test::page_bytes(long_document(22, 1, 60, 1), 1));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: korvif_make_inputs DIRECTORY\n");
        return 2;
    }
    const std::string dir = argv[1];
    std::filesystem::create_directories(dir);
    write_documents(dir);
    write_sff_files(dir);
    write_bitmaps(dir);
    write_long_inputs(dir + "/long");
    return 0;
}
