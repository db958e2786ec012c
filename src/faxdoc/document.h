// The fax document (.kvd): a 1536-byte header followed by the MH data of up to 255 pages.
#pragma once

#include <array>
#include <cstdint>

#include "platform/memory/memory_block.h"
#include "platform/files/file.h"

namespace korvif {

inline constexpr std::uint32_t document_header_size = 1536;
// Header fields: texts are ASCII padded with spaces, without terminator.
inline constexpr std::uint32_t maker_offset = 0;            // 16 characters
inline constexpr std::uint32_t format_version_offset = 16;  // 16 characters
inline constexpr std::uint32_t format_byte_offset = 32;     // one byte
inline constexpr std::uint32_t text_field_offset = 66;      // 30 characters
inline constexpr std::uint32_t minimum_document_size = document_header_size + 8;
inline constexpr std::uint32_t page_count_offset = 288;
inline constexpr std::uint32_t fine_flag_offset = 289;
inline constexpr std::uint32_t page_table_offset = 512;
inline constexpr std::uint32_t page_table_entries = 256;
inline constexpr std::uint32_t maximum_pages = 255;

using DocumentHeader = std::array<std::uint8_t, document_header_size>;

std::uint32_t page_table_entry(const DocumentHeader& header, std::uint32_t index);
void set_page_table_entry(DocumentHeader& header, std::uint32_t index, std::uint32_t offset);

// Offset of the first byte of page n (n = 0 gives the end of the header).
std::uint32_t page_start(const DocumentHeader& header, std::uint32_t n, std::uint32_t file_size);

struct PageRange {
    std::uint32_t start;
    std::uint32_t length;
};

// Byte range of page n: from its start to the next page's start, cut at the end of the file.
PageRange page_range(const DocumentHeader& header, std::uint32_t n, std::uint32_t file_size);

// How long every read of a fax document or a header strip file is tried.
inline constexpr int document_read_seconds = 10;

// Reads `count` bytes from the file's current position. A failed read, and a read that delivers
// fewer bytes than asked, is tried again (for the missing bytes) after 100 ms, for at most
// 10 x seconds attempts. Fails with cannot_be_read, the buffer's unread part zero.
Outcome<void> read_with_retry(platform::File& file, void* buffer, std::uint32_t count, int seconds);

// A fax document opened for reading with its header read.
struct OpenedDocument {
    platform::File file;
    std::uint32_t size = 0;
    DocumentHeader header {};
    int read_seconds = document_read_seconds;

    std::uint32_t page_count() const { return header[page_count_offset]; }
    std::uint8_t fine_flag() const { return header[fine_flag_offset]; }
};

// Opens a document, checks its size (at least 1544 bytes) and reads its header. Fails, with the
// cause traced, when it does not open or its header cannot be read (cannot_be_read) or it is
// shorter (too_short).
Outcome<OpenedDocument> open_document(const char* path, platform::FileMode mode);

// The same for a file that is open already, read from its start.
Outcome<OpenedDocument> open_document(platform::File file);

// Reads `length` bytes from `start`. Fails with out_of_range (no detail) for a length of
// platform::size_limit or more or a range that does not lie inside the file; with no_memory for
// a failed allocation; with cannot_be_read when the system could not read them.
Outcome<MemoryBlock> read_document_bytes(OpenedDocument& document, std::uint32_t start, std::uint32_t length);

// The byte range of page n; page 0 is the whole file, read as MH data without a header.
PageRange document_page_range(const OpenedDocument& document, std::uint32_t n);

// Whether the range lies inside the file, with a length below platform::size_limit: its bytes
// can be read once a block for them is had.
bool lies_in_document(const OpenedDocument& document, PageRange range);

// The bytes of page n (0: the whole file), as F2S, F2D and RES read them. Fails with empty,
// nothing read, for an empty page, or as read_document_bytes does.
Outcome<MemoryBlock> read_page(OpenedDocument& document, std::uint32_t n);

}  // namespace korvif
