// Writes the bundled sample SFF file: two normal-resolution pages with large block letters.
// A line of normal resolution (98 lines per inch) is about twice as tall as a pixel is wide (204
// per inch), so each dot of the font is half as many lines tall as it is pixels wide: on paper, and
// in F2D's bitmap with its lines doubled, the dots are square. The test suite runs it again and
// compares the result with samples/sample.sff.
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

// Lines of one line of text, each font dot `scale` pixels wide and scale / 2 lines tall, starting
// at pixel `left`.
std::vector<Row> text_rows(const std::string& text, int scale, int left) {
    const int dot_lines = scale / 2;
    std::vector<Row> rows(static_cast<std::size_t>(7 * dot_lines), Row {});
    int x0 = left;
    for (char letter : text) {
        if (const Glyph* glyph = glyph_of(letter)) {
            for (int gy = 0; gy < 7; ++gy) {
                for (int gx = 0; gx < 5; ++gx) {
                    if (glyph->rows[gy][gx] != '#') continue;
                    for (int dy = 0; dy < dot_lines; ++dy) {
                        for (int dx = 0; dx < scale; ++dx) {
                            const int x = x0 + gx * scale + dx;
                            if (x < 1728)
                                rows[static_cast<std::size_t>(gy * dot_lines + dy)][x / 8] |=
                                    static_cast<std::uint8_t>(0x80 >> (x % 8));
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

// The spaces are counted in lines as well: half as many as pixels across would make them.
std::vector<Row> page_rows(const std::string& first, const std::string& second) {
    std::vector<Row> rows(20, Row {});
    for (const auto& part : {text_rows(first, 12, 120), std::vector<Row>(15, Row {}), text_rows(second, 6, 120)}) {
        rows.insert(rows.end(), part.begin(), part.end());
    }
    rows.resize(rows.size() + 30, Row {});
    // A frame line across the page under the text.
    Row rule {};
    for (int i = 10; i < 206; ++i) rule[static_cast<std::size_t>(i)] = 0xFF;
    rows.insert(rows.end(), 2, rule);
    rows.resize(rows.size() + 20, Row {});
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
