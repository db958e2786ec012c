// Which pages F2P and F2T copy as they stand: only the one form whose lines every reader draws as
// the page decoder does. A page in any other form must be coded again.
#include "codec/clean_page.h"

#include <gtest/gtest.h>

#include <functional>

#include "codec/decoded_page.h"
#include "support/mh_writer.h"

namespace korvif {
namespace {

using test::MhWriter;

constexpr int width = 1728;

// The end of a page as S2F writes it: the RTC's first EOL closes the last line.
MhWriter& rtc(MhWriter& page) {
    for (int i = 0; i < 6; ++i) page.eol();
    return page;
}

TEST(CleanPage, OnlyTheFormEveryReaderDrawsAlikeIsCopied) {
    struct Case {
        const char* form;
        // Writes the page; sets `codes_end` to the bit where the last line's codes end.
        std::function<void(MhWriter& page, std::size_t& codes_end)> write;
        int lines;  // -1: to be coded again
    };
    const auto line = [](MhWriter& page, std::initializer_list<int> runs, std::size_t& codes_end) -> MhWriter& {
        codes_end = page.runs(runs).bit_count();
        return page;
    };
    // clang-format off
    const Case cases[] = {
        {"as S2F writes it",
         [&](MhWriter& p, std::size_t& e) { rtc(line(p.aligned_eol(), {width}, e)); }, 1},
        {"as the encoder writes it (an aligned EOL, then the RTC)",
         [&](MhWriter& p, std::size_t& e) { line(p.aligned_eol(), {width}, e); line(p.aligned_eol(), {100, 1628}, e);
                                            rtc(p.aligned_eol()); }, 2},
        {"fill bits before the RTC's EOLs",
         [&](MhWriter& p, std::size_t& e) { line(p.aligned_eol(), {5, 10, 1713}, e).aligned_eol();
                                            for (int i = 0; i < 5; ++i) p.aligned_eol(); }, 1},
        {"a line that ends black",
         [&](MhWriter& p, std::size_t& e) { rtc(line(p.aligned_eol(), {1700, 28}, e)); }, 1},
        {"an EOL off the byte boundary between lines",
         [&](MhWriter& p, std::size_t& e) { line(p.aligned_eol(), {width}, e).eol(); rtc(line(p, {width}, e)); }, -1},
        {"no EOL before the first line",
         [&](MhWriter& p, std::size_t& e) { line(p, {width}, e).aligned_eol(); rtc(line(p, {width}, e)); }, -1},
        {"the first EOL off the byte boundary",
         [&](MhWriter& p, std::size_t& e) { rtc(line(p.eol(), {width}, e)); }, -1},
        {"data before the first EOL",
         [&](MhWriter& p, std::size_t& e) { rtc(line(p.bits("1").aligned_eol(), {width}, e)); }, -1},
        {"an empty EOL between lines (a doubled EOL)",
         [&](MhWriter& p, std::size_t& e) { line(p.aligned_eol(), {width}, e).aligned_eol();
                                            rtc(line(p.aligned_eol(), {width}, e)); }, -1},
        {"a short line",
         [&](MhWriter& p, std::size_t& e) { rtc(line(p.aligned_eol(), {100, 20}, e)); }, -1},
        {"a line past the 1728th pixel",
         [&](MhWriter& p, std::size_t& e) { rtc(line(p.aligned_eol(), {1000, 500, 600}, e)); }, -1},
        {"a code after the line's end",
         [&](MhWriter& p, std::size_t& e) { rtc(line(p.aligned_eol(), {1700, 28, 0}, e)); }, -1},
        {"bits that begin no code before an EOL",
         [&](MhWriter& p, std::size_t& e) { rtc(line(p.aligned_eol(), {width}, e).bits("00000001")); }, -1},
        {"a page end of four EOLs, then data",
         [&](MhWriter& p, std::size_t& e) { line(p.aligned_eol(), {width}, e);
                                            for (int i = 0; i < 5; ++i) p.eol();
                                            p.runs({width}).aligned_eol(); }, -1},
        {"no page end before the data's end",
         [&](MhWriter& p, std::size_t& e) { line(p.aligned_eol(), {width}, e).aligned_eol().eol().eol(); }, -1},
    };
    // clang-format on
    for (const Case& c : cases) {
        MhWriter page;
        std::size_t codes_end = 0;
        c.write(page, codes_end);
        page.bits("0000000000000000");  // room for the reader's last loads
        const std::optional<CleanPage> clean = clean_page(page.bytes());
        EXPECT_EQ(clean ? clean->lines : -1, c.lines) << c.form;
        if (clean) {
            EXPECT_EQ(clean->bytes, (codes_end + 7) / 8) << c.form;
        }
    }
}

TEST(CleanPage, HoldsNoMoreLinesThanTheDecoderKeeps) {
    for (const int lines : {max_page_lines, max_page_lines + 1}) {
        MhWriter page;
        for (int i = 0; i < lines; ++i) page.aligned_eol().runs({width});
        rtc(page);
        const std::optional<CleanPage> clean = clean_page(page.bytes());
        EXPECT_EQ(clean ? clean->lines : -1, lines <= max_page_lines ? lines : -1) << lines;
    }
}

}  // namespace
}  // namespace korvif
