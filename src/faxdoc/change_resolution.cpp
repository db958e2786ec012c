#include "faxdoc/change_resolution.h"

#include <algorithm>
#include <memory>
#include <utility>

#include "codec/page_decoder.h"
#include "codec/raster_encoder.h"
#include "faxdoc/document.h"
#include "faxdoc/file_sinks.h"
#include "platform/files/file.h"
#include "platform/trace/trace.h"

namespace korvif {

Outcome<void> copy_document(const char* source, platform::File& copy) {
    Outcome<platform::File> from =
        platform::File::open(source, platform::FileMode::read_shared, platform::OpenRetry::when_held_or_missing);
    if (!from) return Failure::cannot_be_read;
    const Outcome<std::uint32_t> known_size = from->size();
    if (!known_size) return known_size.failed();
    if (*known_size >= platform::size_limit) return Failed(Failure::too_large, "2 GB");
    const std::uint32_t size = *known_size;
    constexpr std::uint32_t block_size = 64 * 1024;
    const auto block = std::make_unique_for_overwrite<std::uint8_t[]>(block_size);
    for (std::uint32_t done = 0; done < size;) {
        const std::uint32_t count = std::min(block_size, size - done);
        if (const Outcome<void> read = read_with_retry(*from, block.get(), count, document_read_seconds); !read)
            return read;
        const Outcome<std::uint32_t> written = copy.write(block.get(), count);
        if (!written) return written.failed();
        if (*written != count) return Failure::cannot_be_written;
        done += count;
    }
    return {};
}

namespace {

DocumentHeader with_fine_flag_turned(DocumentHeader header) {
    header[fine_flag_offset] = header[fine_flag_offset] == 0 ? 1 : 0;
    return header;
}

}  // namespace

ResolutionChange::ResolutionChange(OpenedDocument& source, platform::FileReplacement& output)
    : source_(source), output_(output), sink_(output), rebuilt_(with_fine_flag_turned(source.header)) {
    sink_.put(rebuilt_.data(), document_header_size);
    set_page_table_entry(rebuilt_, 0, document_header_size);
}

Outcome<void> ResolutionChange::add_page(std::uint32_t n) {
    const std::uint32_t start = page_table_entry(rebuilt_, n - 1);
    std::uint32_t end = start;
    Outcome<MemoryBlock> bytes = read_page(source_, n);
    // An empty page, or one whose range lies outside the file, stays empty. One whose bytes cannot
    // be read, or cannot be had for want of memory, ends the change: written empty, the page
    // would be lost.
    if (!bytes && bytes.failure() != Failure::empty && bytes.failure() != Failure::out_of_range) return bytes.failed();
    if (bytes) {
        const auto length = static_cast<std::uint32_t>(bytes->size());
        // To fine each line is coded twice, to normal each pair of lines as one.
        const bool to_fine = rebuilt_[fine_flag_offset] != 0;
        Outcome<DecodedPage> page = decode_page(std::span(bytes->data(), length), {.double_lines = to_fine});
        // A page that would come out cut short for want of memory ends the change: the document
        // keeps all its lines.
        if (!page && page.failure() == Failure::no_memory) return Failure::no_memory;
        const std::size_t rows = page ? page->rows() : 0;
        if (page) {
            // Lines pair up from the page's last line, as D2F pairs a bitmap's rows from its
            // bottom: an odd first line is left out.
            if (!to_fine && rows % 2 != 0) page->drop_first_line();
            const Outcome<std::uint32_t> coded =
                encode_raster(page->raster_rows(to_fine ? RowPairs::apart : RowPairs::merged), sink_);
            if (coded) end += *coded;
        }
        trace::line("page %u: %u bytes, %zu rows decoded, %u bytes coded", n, length, rows, end - start);
    }
    if (!output_.good()) return Failure::cannot_be_written;
    set_page_table_entry(rebuilt_, n, end);
    return {};
}

Outcome<void> ResolutionChange::finish() { return sink_.finish_with_start(rebuilt_.data(), document_header_size); }

}  // namespace korvif
