// S2F, RES and F2S on long documents of dense pages, with blank, faulty and damaged lines, write
// exactly the bytes they wrote before their output was streamed: the digests below were taken from
// the builds in which S2F assembled its document in memory, RES copied its source in one block
// and F2S wrote each record on its own (RES's and F2S's taken again, from those builds, once the
// decoder read T.4's extended make-up codes, which some damaged lines happen to hold).
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>

#include "codec/mh_tables.h"
#include "support/documents.h"
#include "support/random_pages.h"
#include "support/sff_builder.h"
#include "support/sha256.h"

namespace korvif {
namespace {

using test::Bytes;

// An SFF file of `pages` pages of `lines` records each: line records in both forms, runs of blank
// lines, faulty lines and other information, page headers of 16 and 24 bytes; with `huge_lines`,
// every fiftieth record is a line of 16 to 32 KB.
Bytes long_sff(std::uint32_t seed, int pages, int lines, std::uint8_t resolution, bool huge_lines = false) {
    const std::vector<Bytes> bank = test::line_bank();
    test::Random random(seed);
    test::SffBuilder sff;
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
    const std::vector<Bytes> bank = test::line_bank();
    test::Random random(seed);
    std::vector<Bytes> page_data;
    for (int page = 0; page < pages; ++page) {
        Bytes data;
        for (int line = 0; line < lines; ++line) {
            data.insert(data.end(), mh::aligned_eol.begin(), mh::aligned_eol.end());
            const int kind = random.below(100);
            const Bytes& codes = bank[random.below(static_cast<int>(bank.size()))];
            if (kind < 80) {
                test::append(data, codes);
            } else if (kind < 92) {
                data.insert(data.end(), mh::white_line_code.begin(), mh::white_line_code.end());
            } else if (kind < 96) {
                test::append(data, random.bytes(2 + random.below(80)));
            } else {
                data.insert(data.end(), codes.begin(), codes.begin() + 1 + random.below(static_cast<int>(codes.size()) - 1));
            }
        }
        data.insert(data.end(), mh::rtc_bytes.begin(), mh::rtc_bytes.end());
        page_data.push_back(std::move(data));
    }
    return test::make_document(page_data, fine_flag);
}

class LongDocuments : public ::testing::Test {
protected:
    test::TempDir dir;
    test::TempDir temporary;
    std::string source = dir.file("source");
    std::string output = dir.file("output");

    void SetUp() override { setenv("TMPDIR", temporary.path().c_str(), 1); }
    void TearDown() override { unsetenv("TMPDIR"); }
};

TEST_F(LongDocuments, S2FWritesTheSameBytes) {
    struct Case {
        const char* name;
        Bytes sff;
        const char* digest;
    };
    Bytes cut = long_sff(3, 20, 2200, 1);
    cut.resize(cut.size() - 100);  // the file ends inside a record
    const Case cases[] = {
        {"normal", long_sff(1, 40, 1100, 0), "cc3ff96bdadd74168fa6cf3bb68b9cfe0d26622c8dab47bd9fc1fb7916474a6f"},
        {"fine, cut", cut, "dd84a826c54aad821af77ee4f043403fa4d2efbb1b258812582b4711f06e5df4"},
        {"lines of up to 32 KB", long_sff(5, 6, 1100, 0, true), "6c24b7b8e80d6cb2b5fa99e7792102a0a1bbbc4610d84adfa7afe211ebea7a9e"},
    };
    for (const Case& c : cases) {
        test::write_file(source, c.sff);
        test::run_command("S2F:0," + source + "," + output);
        const Bytes written = test::read_file(output);
        EXPECT_EQ(test::sha256_hex(written), c.digest) << c.name << ", " << written.size() << " bytes";
    }
}

TEST_F(LongDocuments, RESWritesTheSameBytes) {
    struct Case {
        const char* name;
        Bytes document;
        const char* digest;
    };
    const Case cases[] = {
        {"normal to fine", long_document(11, 20, 1100, 0), "01fe052f10ea7ce1afcf5c4861ab4cb850c5a170f38e63f1cf3902022aa2b83a"},
        {"fine to normal", long_document(12, 12, 2200, 1), "f6d7b2ed0ba11cae75fa644020510590dcd947d28012ee892600a5a8bb825266"},
    };
    const std::string trace = dir.file("trace");
    for (const Case& c : cases) {
        test::write_file(source, c.document);
        setenv("KORVIF_TRACE", trace.c_str(), 1);
        test::run_command("RES:" + source + "," + output);
        unsetenv("KORVIF_TRACE");
        const Bytes written = test::read_file(output);
        EXPECT_EQ(test::sha256_hex(written), c.digest) << c.name << ", " << written.size() << " bytes";
        // The size reported is the file's, though the header was written twice.
        std::ifstream lines(trace);
        const std::string text {std::istreambuf_iterator<char>(lines), std::istreambuf_iterator<char>()};
        EXPECT_NE(text.find("wrote " + output + " (" + std::to_string(written.size()) + " bytes)"), std::string::npos) << text;
        std::filesystem::remove(trace);
    }
}

TEST_F(LongDocuments, F2SWritesTheSameBytes) {
    test::write_file(source, long_document(21, 20, 1100, 1));
    test::write_file(dir.file("~ikvd002.kvd"), test::page_bytes(long_document(22, 1, 60, 1), 1));
    test::run_command("F2S:0,1,255," + source + "," + dir.path().string() + "/");
    const Bytes written = test::read_file(dir.file("~isdnfax.sff"));
    EXPECT_EQ(test::sha256_hex(written), "7c91d079d83d9a569a949e7be94e0e951d4bebbfd07742b2cfcab5c36dc748d0") << written.size() << " bytes";
}

}  // namespace
}  // namespace korvif
