#include "faxdoc/document.h"

#include <utility>

#include <cstring>

#include "platform/trace/trace.h"

namespace korvif {

std::uint32_t page_table_entry(const DocumentHeader& header, std::uint32_t index) {
    const std::uint8_t* entry = header.data() + page_table_offset + 4 * index;
    return entry[0] | (entry[1] << 8) | (entry[2] << 16) | (static_cast<std::uint32_t>(entry[3]) << 24);
}

void set_page_table_entry(DocumentHeader& header, std::uint32_t index, std::uint32_t offset) {
    std::uint8_t* entry = header.data() + page_table_offset + 4 * index;
    for (int i = 0; i < 4; ++i) entry[i] = static_cast<std::uint8_t>(offset >> (8 * i));
}

std::uint32_t page_start(const DocumentHeader& header, std::uint32_t n, std::uint32_t file_size) {
    if (n == 0) return document_header_size;
    // Page numbers beyond the table have no entry: such a page starts at the end of the file.
    if (n > page_table_entries) return file_size;
    const std::uint32_t entry = page_table_entry(header, n - 1);
    if (entry != 0 || n == 1) return entry;
    return file_size;
}

PageRange page_range(const DocumentHeader& header, std::uint32_t n, std::uint32_t file_size) {
    const std::uint32_t start = page_start(header, n, file_size);
    std::uint32_t length = page_start(header, n + 1, file_size) - start;
    if (start + length > file_size) length = file_size - start;
    return {start, length};
}

Outcome<void> read_with_retry(platform::File& file, void* buffer, std::uint32_t count, int seconds) {
    auto* bytes = static_cast<std::uint8_t*>(buffer);
    std::uint32_t done = 0;
    const long attempts = 10L * seconds;
    for (long attempt = 0; attempt < attempts; ++attempt) {
        done += file.read(bytes + done, count - done).value_or(0);
        if (done >= count) return {};
        platform::sleep_milliseconds(100);
    }
    trace::line("read of %u bytes failed after %d seconds (%u read)", count, seconds, done);
    std::memset(bytes + done, 0, count - done);
    return Failure::cannot_be_read;
}

Outcome<OpenedDocument> open_document(const char* path, platform::FileMode mode) {
    Outcome<platform::File> file = platform::File::open(path, mode, platform::OpenRetry::when_held_or_missing);
    if (!file) return Failure::cannot_be_read;
    return open_document(std::move(*file));
}

static_assert(minimum_document_size == 1544, "the too_short detail below names it");

Outcome<OpenedDocument> open_document(platform::File file) {
    OpenedDocument document;
    document.file = std::move(file);
    if (!document.file.seek(0)) return Failure::cannot_be_read;
    const Outcome<std::uint32_t> size = document.file.size();
    document.size = size.value_or(0xFFFFFFFFu);
    if (!size || document.size < minimum_document_size) {
        trace::line("document of %u bytes is shorter than %u", document.size, minimum_document_size);
        return Failed(Failure::too_short, "1544 bytes");
    }
    if (!read_with_retry(document.file, document.header.data(), document_header_size, document.read_seconds)) {
        trace::line("the document header cannot be read");
        return Failure::cannot_be_read;
    }
    trace::line("document: %u bytes, %u %s, fine flag %u", document.size, document.page_count(),
                trace::plural(document.page_count(), "page", "pages"), document.fine_flag());
    return document;
}

namespace {

// A zeroed block for `length` bytes from `start`. Fails with out_of_range for a length of 2 GiB
// or more or a range that does not lie inside the file, and with no_memory when the block cannot
// be had.
Outcome<MemoryBlock> allocate_range(const OpenedDocument& document, std::uint32_t start, std::uint32_t length) {
    if (!lies_in_document(document, {start, length})) {
        trace::line("bytes %u to %llu lie outside the document of %u bytes", start,
                    static_cast<unsigned long long>(start) + length, document.size);
        return Failure::out_of_range;
    }
    Outcome<MemoryBlock> bytes = MemoryBlock::allocate(length);
    if (!bytes) trace::line("no memory for %u bytes", length);
    return bytes;
}

}  // namespace

Outcome<MemoryBlock> read_document_bytes(OpenedDocument& document, std::uint32_t start, std::uint32_t length) {
    Outcome<MemoryBlock> bytes = allocate_range(document, start, length);
    if (!bytes) return bytes;
    if (!document.file.seek(start)) return Failure::cannot_be_read;
    if (const Outcome<void> read = read_with_retry(document.file, bytes->data(), length, document.read_seconds); !read)
        return read.failed();
    return bytes;
}

bool lies_in_document(const OpenedDocument& document, PageRange range) {
    // A range that wraps past 4 GiB or reaches beyond the file has no bytes to read.
    return range.length < platform::size_limit &&
           static_cast<std::uint64_t>(range.start) + range.length <= document.size;
}

PageRange document_page_range(const OpenedDocument& document, std::uint32_t n) {
    return n == 0 ? PageRange {0, document.size} : page_range(document.header, n, document.size);
}

Outcome<MemoryBlock> read_page(OpenedDocument& document, std::uint32_t n) {
    const PageRange range = document_page_range(document, n);
    if (range.length == 0) return Failure::empty;
    return read_document_bytes(document, range.start, range.length);
}

}  // namespace korvif
