// S2F's conversion: an SFF file's record stream copied into a fax document.
#pragma once

#include <cstdint>
#include <memory>

#include "faxdoc/sff_format.h"
#include "platform/files/file.h"
#include "platform/outcome.h"
#include "platform/replace/replacement.h"

namespace korvif {

// Reads an SFF file through a buffer that holds the longest line record whole. The first read
// that comes short ends the file: nothing after it is read.
class SffReader {
public:
    explicit SffReader(platform::File& file);

    // Goes to `offset` from the file's start. Fails with cannot_be_reached when the system
    // refuses.
    Outcome<void> seek(std::uint32_t offset);

    // The next `count` bytes (at most a line record's), or null when the file ends before them.
    const std::uint8_t* take(std::size_t count);

    // The next byte, or -1 at the end of the file.
    int get();

private:
    static constexpr std::size_t capacity = 64 * 1024;
    static_assert(capacity > sff::longest_long_line);

    bool fill(std::size_t count);

    platform::File& file_;
    std::unique_ptr<std::uint8_t[]> buffer_;
    std::size_t start_ = 0;
    std::size_t end_ = 0;
    bool ended_ = false;
};

// Reads the 20-byte SFF document header and gives the offset of the first page header it names.
// Fails with too_short when the file is shorter than the header.
Outcome<std::uint32_t> read_first_page_offset(SffReader& in);

// What the document holds.
struct SffDocument {
    std::uint32_t pages = 0;
    std::uint8_t fine_flag = 0;
    std::uint32_t size = 0;  // bytes
};

// Copies the record stream from the reader's position into the document: each line record
// behind a byte-aligned EOL, blank-line records as coded white lines, an RTC after each page, the
// page table filled in and the header written last. Every record that ends the stream (the end of
// the file, a short or faulty record, the end-of-document record, a 256th page) ends the document
// well-formed. Fails when the document would reach 2 GB (too_large) or cannot be written
// (cannot_be_written); it must then not be committed.
Outcome<SffDocument> write_document_from_sff(SffReader& in, platform::FileReplacement& document);

}  // namespace korvif
