// Writes the bundled sample SFF file: two normal-resolution pages with large block letters.
// The test suite runs it again and compares the result with samples/sample.sff.
#include <array>
#include <cstdio>
#include <string>
#include <vector>

#include "support/mh_writer.h"
#include "support/sff_builder.h"

namespace {

using korvif::test::Bytes;

// 5 x 7 letters, one string per row, '#' for ink.
struct Glyph {
    char letter;
    std::array<const char*, 7> rows;
};

constexpr Glyph font[] = {
    {'A', {" ### ", "#   #", "#   #", "#####", "#   #", "#   #", "#   #"}},
    {'D', {"#### ", "#   #", "#   #", "#   #", "#   #", "#   #", "#### "}},
    {'E', {"#####", "#    ", "#    ", "#### ", "#    ", "#    ", "#####"}},
    {'F', {"#####", "#    ", "#    ", "#### ", "#    ", "#    ", "#    "}},
    {'I', {" ### ", "  #  ", "  #  ", "  #  ", "  #  ", "  #  ", " ### "}},
    {'K', {"#   #", "#  # ", "# #  ", "##   ", "# #  ", "#  # ", "#   #"}},
    {'O', {" ### ", "#   #", "#   #", "#   #", "#   #", "#   #", " ### "}},
    {'R', {"#### ", "#   #", "#   #", "#### ", "# #  ", "#  # ", "#   #"}},
    {'S', {" ####", "#    ", "#    ", " ### ", "    #", "    #", "#### "}},
    {'T', {"#####", "  #  ", "  #  ", "  #  ", "  #  ", "  #  ", "  #  "}},
    {'V', {"#   #", "#   #", "#   #", "#   #", "#   #", " # # ", "  #  "}},
    {'X', {"#   #", "#   #", " # # ", "  #  ", " # # ", "#   #", "#   #"}},
    {'1', {"  #  ", " ##  ", "  #  ", "  #  ", "  #  ", "  #  ", " ### "}},
    {'2', {" ### ", "#   #", "    #", "   # ", "  #  ", " #   ", "#####"}},
    {'3', {"#### ", "    #", "    #", " ### ", "    #", "    #", "#### "}},
};

const Glyph* glyph_of(char letter) {
    for (const Glyph& glyph : font) {
        if (glyph.letter == letter) return &glyph;
    }
    return nullptr;
}

using Row = std::array<std::uint8_t, 216>;

// Rows of one text line drawn with `scale` pixels per font dot, starting at pixel `left`.
std::vector<Row> text_rows(const std::string& text, int scale, int left) {
    std::vector<Row> rows(7 * scale, Row {});
    int x0 = left;
    for (char letter : text) {
        if (const Glyph* glyph = glyph_of(letter)) {
            for (int gy = 0; gy < 7; ++gy) {
                for (int gx = 0; gx < 5; ++gx) {
                    if (glyph->rows[gy][gx] != '#') continue;
                    for (int dy = 0; dy < scale; ++dy) {
                        for (int dx = 0; dx < scale; ++dx) {
                            const int x = x0 + gx * scale + dx;
                            if (x < 1728) rows[gy * scale + dy][x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
                        }
                    }
                }
            }
        }
        x0 += 6 * scale;
    }
    return rows;
}

void add_rows(korvif::test::SffBuilder& sff, const std::vector<Row>& rows) {
    int blanks = 0;
    auto flush = [&] {
        for (; blanks > 0; blanks -= 37) sff.blank_lines(blanks > 37 ? 37 : blanks);
        blanks = 0;
    };
    for (const Row& row : rows) {
        const std::vector<int> runs = korvif::test::runs_of_row(row.data());
        if (runs.size() == 1) {
            ++blanks;
            continue;
        }
        flush();
        korvif::test::MhWriter line;
        line.runs(runs).fill_to_byte();
        sff.line(line.bytes());
    }
    flush();
}

std::vector<Row> page_rows(const std::string& first, const std::string& second) {
    std::vector<Row> rows(40, Row {});
    for (const auto& part : {text_rows(first, 12, 120), std::vector<Row>(30, Row {}), text_rows(second, 6, 120)}) {
        rows.insert(rows.end(), part.begin(), part.end());
    }
    rows.resize(rows.size() + 60, Row {});
    // A frame line across the page under the text.
    Row rule {};
    for (int i = 10; i < 206; ++i) rule[i] = 0xFF;
    rows.insert(rows.end(), 3, rule);
    rows.resize(rows.size() + 40, Row {});
    return rows;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: korvif_make_sample OUT.sff\n");
        return 2;
    }
    korvif::test::SffBuilder sff;
    sff.page(0);
    add_rows(sff, page_rows("KORVIF32", "FAX SEITE 1"));
    sff.page(0);
    add_rows(sff, page_rows("FAXDOKS", "SEITE 2 3"));
    sff.end_of_document();
    korvif::test::write_file(argv[1], sff.bytes());
    return 0;
}
