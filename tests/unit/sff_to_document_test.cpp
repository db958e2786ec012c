#include <gtest/gtest.h>

#include "faxdoc/document.h"
#include "support/files.h"
#include "support/sff_builder.h"

namespace korvif {
namespace {

using test::Bytes;
using test::SffBuilder;

const Bytes eol = {0x00, 0x80};
const Bytes white_line = {0x00, 0x80, 0xB2, 0x59, 0x01};
const Bytes rtc = {0x00, 0x08, 0x80, 0x00, 0x08, 0x80, 0x00, 0x08, 0x80};

Bytes coded(const Bytes& codes) {
    Bytes line = eol;
    test::append(line, codes);
    return line;
}

Bytes repeat(const Bytes& bytes, int times) {
    Bytes out;
    for (int i = 0; i < times; ++i) test::append(out, bytes);
    return out;
}

class SffToDocument : public ::testing::Test {
protected:
    test::TempDir dir;
    std::string sff = dir.file("in.sff");
    std::string kvd = dir.file("out.kvd");

    Bytes convert(const Bytes& sff_bytes) {
        test::write_file(sff, sff_bytes);
        EXPECT_EQ(test::run_command("S2F:0," + sff + "," + kvd), 0);
        return test::read_file(kvd);
    }

    // The header and page table that the conversion writes for the given page starts.
    static Bytes expected_header(std::initializer_list<std::uint32_t> starts, std::uint8_t fine) {
        DocumentHeader header {};
        const char* maker = "Korvane         3.0             ";
        std::copy(maker, maker + 32, header.begin());
        header[32] = 2;
        const char* text = "ISDN                          ";
        std::copy(text, text + 30, header.begin() + 66);
        header[page_count_offset] = static_cast<std::uint8_t>(starts.size());
        header[fine_flag_offset] = fine;
        std::uint32_t index = 0;
        for (std::uint32_t start : starts) set_page_table_entry(header, index++, start);
        return Bytes(header.begin(), header.end());
    }
};

TEST_F(SffToDocument, TwoPagesWithEveryRecordKind) {
    const Bytes line_a = {0x11, 0x22, 0x33};
    const Bytes long_line(300, 0x5C);
    SffBuilder source;
    source.page(0).line(line_a).blank_lines(2).other_information({7, 7, 7});
    source.page(1).long_line(long_line).faulty_line().end_of_document();

    Bytes page1 = coded(line_a);
    test::append(page1, repeat(white_line, 2));
    test::append(page1, rtc);
    Bytes page2 = coded(long_line);
    test::append(page2, white_line);
    test::append(page2, rtc);

    Bytes expected = expected_header({1536, 1536 + static_cast<std::uint32_t>(page1.size())}, 0);
    test::append(expected, page1);
    test::append(expected, page2);
    EXPECT_EQ(convert(source.bytes()), expected);
}

TEST_F(SffToDocument, WithoutEndRecordTheLastPageHasNoRtc) {
    const Bytes line = {0xAB};
    SffBuilder source;
    source.page(0).line(line).page(0).line(line);
    Bytes expected = expected_header({1536, 1536 + 3 + 9}, 0);
    test::append(expected, coded(line));
    test::append(expected, rtc);
    test::append(expected, coded(line));
    EXPECT_EQ(convert(source.bytes()), expected);
}

TEST_F(SffToDocument, BlankLineRecordsBecomeCodedWhiteLines) {
    SffBuilder source;
    source.page(0).blank_lines(37).blank_lines(1).end_of_document();
    const Bytes document = convert(source.bytes());
    Bytes expected = expected_header({1536}, 0);
    test::append(expected, repeat(white_line, 38));
    test::append(expected, rtc);
    EXPECT_EQ(document, expected);
}

TEST_F(SffToDocument, FineFlagFollowsTheFirstPageOnly) {
    struct Case {
        std::uint8_t first, second, fine;
    };
    for (const Case c : {Case {0, 1, 0}, Case {1, 0, 1}, Case {2, 0, 1}}) {
        SffBuilder source;
        source.page(c.first).line({1}).page(c.second).line({2}).end_of_document();
        EXPECT_EQ(convert(source.bytes()).at(fine_flag_offset), c.fine) << int(c.first);
    }
}

TEST_F(SffToDocument, EndOfDocumentPageHeaderStopsAfterThePreviousRtc) {
    SffBuilder source;
    source.page(0).line({1}).page(255).line({2});
    Bytes expected = expected_header({1536}, 0);
    test::append(expected, coded({1}));
    test::append(expected, rtc);
    EXPECT_EQ(convert(source.bytes()), expected);
}

TEST_F(SffToDocument, PageHeaderLengthOtherThanSixteen) {
    // 24: eight further bytes are skipped. 10: sixteen bytes are still read.
    SffBuilder longer;
    longer.page(0, 24).line({0x44}).end_of_document();
    Bytes expected = expected_header({1536}, 0);
    test::append(expected, coded({0x44}));
    test::append(expected, rtc);
    EXPECT_EQ(convert(longer.bytes()), expected);

    // Ten header bytes, then a line, the end record and another line: all of that up to the
    // second line's code is taken as the sixteen header bytes, and the last line is copied.
    SffBuilder shorter;
    shorter.raw({254, 10, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}).raw({1, 0x44, 254, 0, 1, 0x55}).raw({1, 0x66});
    Bytes expected_short = expected_header({1536}, 0);
    test::append(expected_short, coded({0x66}));
    EXPECT_EQ(convert(shorter.bytes()), expected_short);
}

TEST_F(SffToDocument, LongLineLimits) {
    const Bytes longest(32767, 0x0F);
    SffBuilder ok;
    ok.page(0).long_line(longest).end_of_document();
    EXPECT_EQ(convert(ok.bytes()).size(), 1536u + 2 + 32767 + 9);

    SffBuilder too_long;
    too_long.page(0).line({1}).raw({0, 0x00, 0x80}).raw(Bytes(32768, 0)).end_of_document();
    EXPECT_EQ(convert(too_long.bytes()).size(), 1536u + 3);

    SffBuilder empty;
    empty.page(0).line({1}).raw({0, 0, 0}).line({2}).end_of_document();
    EXPECT_EQ(convert(empty.bytes()).size(), 1536u + 3);
}

TEST_F(SffToDocument, IdentificationIsNotExaminedAndEarlyLinesBelongToNoPage) {
    SffBuilder source(20, "XXXX");
    source.line({9}).page(0).line({1}).end_of_document();
    Bytes expected = expected_header({1536 + 3}, 0);
    test::append(expected, coded({9}));
    test::append(expected, coded({1}));
    test::append(expected, rtc);
    EXPECT_EQ(convert(source.bytes()), expected);
}

TEST_F(SffToDocument, CutInsideALineRecordKeepsTheLinesBefore) {
    SffBuilder source;
    source.page(0).line({1, 2}).raw({5, 1, 2});
    Bytes expected = expected_header({1536}, 0);
    test::append(expected, coded({1, 2}));
    EXPECT_EQ(convert(source.bytes()), expected);
}

TEST_F(SffToDocument, NoPagesGiveAHeaderOnly) {
    SffBuilder beyond(5000);
    beyond.page(0).line({1});
    EXPECT_EQ(convert(beyond.bytes()), expected_header({}, 0));

    SffBuilder ended;
    ended.end_of_document().page(0).line({1});
    EXPECT_EQ(convert(ended.bytes()), expected_header({}, 0));
}

TEST_F(SffToDocument, MoreThan255PagesKeepTheFirst255) {
    SffBuilder source;
    for (int page = 0; page < 300; ++page) source.page(0).line({static_cast<std::uint8_t>(page)});
    source.end_of_document();
    const Bytes document = convert(source.bytes());
    ASSERT_GE(document.size(), 1536u);
    EXPECT_EQ(document[page_count_offset], 255);
    EXPECT_EQ(test::u32_at(document, 512 + 4 * 254), 1536u + 254 * (3 + 9));
    EXPECT_EQ(test::u32_at(document, 512 + 4 * 255), 0u);
    // The 255th page is closed by its RTC and nothing follows it.
    EXPECT_EQ(document.size(), 1536u + 255 * (3 + 9));
}

TEST_F(SffToDocument, OutputPathMayContainCommas) {
    SffBuilder source;
    source.page(0).line({1}).end_of_document();
    test::write_file(sff, source.bytes());
    const std::string target = dir.file("a,b.kvd");
    test::run_command("S2F:7," + sff + "," + target);
    EXPECT_EQ(test::read_file(target).size(), 1536u + 3 + 9);
}

}  // namespace
}  // namespace korvif
