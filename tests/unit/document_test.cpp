#include <gtest/gtest.h>

#include <cstring>

#include "faxdoc/document.h"
#include "support/files.h"

namespace korvif {
namespace {

DocumentHeader header_with_table(std::initializer_list<std::uint32_t> entries) {
    DocumentHeader header {};
    std::uint32_t index = 0;
    for (std::uint32_t entry : entries) set_page_table_entry(header, index++, entry);
    return header;
}

// Every entry in use: page k + 1 begins at 1536 + 100 k, the last entry ends page 255.
DocumentHeader header_with_full_table() {
    DocumentHeader header {};
    for (std::uint32_t index = 0; index < page_table_entries; ++index)
        set_page_table_entry(header, index, 1536 + 100 * index);
    return header;
}

TEST(PageStart, FollowsThePageTable) {
    const DocumentHeader header = header_with_table({1536, 2000, 0, 3000});
    const std::uint32_t size = 5000;
    EXPECT_EQ(page_start(header, 0, size), 1536u);
    EXPECT_EQ(page_start(header, 1, size), 1536u);
    EXPECT_EQ(page_start(header, 2, size), 2000u);
    EXPECT_EQ(page_start(header, 3, size), size);  // zero entry: no page starts there
    EXPECT_EQ(page_start(header, 4, size), 3000u);

    // Entry 0 is taken as it is, even when zero: page 1 then includes the header.
    EXPECT_EQ(page_start(header_with_table({0}), 1, size), 0u);
}

TEST(PageRange, EndsAtTheNextStartOrTheEndOfTheFile) {
    struct Case {
        DocumentHeader header;
        std::uint32_t page;
        std::uint32_t size;
        std::uint32_t start;
        std::uint32_t length;
    };
    const Case cases[] = {
        // Table with only the starts and table with the end offset give the same ranges.
        {header_with_table({1536, 2000}), 2, 2500, 2000, 500},
        {header_with_table({1536, 2000, 2500}), 2, 2500, 2000, 500},
        {header_with_table({1536, 2000}), 1, 2500, 1536, 464},
        // A zero entry in the middle: the page before runs to the end of the file; the page
        // whose entry is zero starts at the file size, and its length wraps.
        {header_with_table({1536, 0, 3000}), 1, 4000, 1536, 2464},
        {header_with_table({1536, 0, 3000}), 2, 4000, 4000, 3000u - 4000u},
        // An entry beyond the file is cut at its end.
        {header_with_table({1536, 9000}), 1, 4000, 1536, 2464},
        // A start beyond the end gives a length of 2^31 or more.
        {header_with_table({1536, 9000, 9500}), 2, 4000, 9000, 4000u - 9000u},
        // A full table: the last entry ends page 255, not the file.
        {header_with_full_table(), 255, 30000, 1536 + 100 * 254, 100},
    };
    for (const Case& c : cases) {
        const PageRange range = page_range(c.header, c.page, c.size);
        EXPECT_EQ(range.start, c.start) << "page " << c.page;
        EXPECT_EQ(range.length, c.length) << "page " << c.page;
    }
}

TEST(ReadWithRetry, ReadsWholeOrFailsWithTheRestZero) {
    test::TempDir dir;
    const std::string path = dir.file("short.bin");
    test::write_file(path, {1, 2, 3});
    Outcome<platform::File> opened = platform::File::open(path.c_str(), platform::FileMode::read_shared);
    ASSERT_TRUE(opened);
    platform::File& file = *opened;

    std::uint8_t buffer[3] = {};
    EXPECT_TRUE(read_with_retry(file, buffer, 3, 10));
    EXPECT_EQ(buffer[2], 3);

    // A file that delivers fewer bytes than asked never leaves stale bytes in the buffer.
    ASSERT_TRUE(file.seek(1));
    std::uint8_t short_read[6] = {9, 9, 9, 9, 9, 9};
    EXPECT_FALSE(read_with_retry(file, short_read, 6, 1));
    const std::uint8_t expected[6] = {2, 3, 0, 0, 0, 0};
    EXPECT_EQ(0, std::memcmp(short_read, expected, 6));
}

TEST(OpenDocument, NeedsAtLeastTheHeaderAndEightBytes) {
    test::TempDir dir;
    const std::string path = dir.file("doc.kvd");
    test::write_file(path, test::Bytes(1543, 0));
    EXPECT_FALSE(open_document(path.c_str(), platform::FileMode::read_shared));
    test::write_file(path, test::Bytes(1544, 0));
    EXPECT_TRUE(open_document(path.c_str(), platform::FileMode::read_shared));
    EXPECT_FALSE(open_document(dir.file("missing.kvd").c_str(), platform::FileMode::read_shared));
}

TEST(ReadDocumentBytes, RefusesRangesOutsideTheFile) {
    test::TempDir dir;
    const std::string path = dir.file("doc.kvd");
    test::Bytes bytes(1600, 0);
    bytes[1599] = 0x5A;
    test::write_file(path, bytes);
    auto document = open_document(path.c_str(), platform::FileMode::read_shared);
    ASSERT_TRUE(document);
    MemoryBlock tail = *read_document_bytes(*document, 1590, 10);
    ASSERT_TRUE(tail);
    EXPECT_EQ(tail.data()[9], 0x5A);
    EXPECT_FALSE(read_document_bytes(*document, 1590, 11));
    EXPECT_FALSE(read_document_bytes(*document, 0xFFFFFF00u, 0x200));  // wraps past 4 GiB
    EXPECT_FALSE(read_document_bytes(*document, 0, 0x80000000u));
}

}  // namespace
}  // namespace korvif
