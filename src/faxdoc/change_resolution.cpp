#include "faxdoc/change_resolution.h"

#include <algorithm>
#include <memory>
#include <utility>

#include "codec/page_decoder.h"
#include "codec/raster_encoder.h"
#include "faxdoc/document.h"
#include "faxdoc/file_sinks.h"
#include "platform/file.h"
#include "platform/trace.h"

namespace korvif {

bool copy_document(const char* source, platform::File& copy) {
    platform::File from = platform::File::open(source, platform::FileMode::read_shared, platform::OpenRetry::when_held_or_missing);
    if (!from.is_open()) return false;
    const std::optional<std::uint32_t> known_size = from.size();
    if (!known_size || *known_size >= platform::size_limit) return false;
    const std::uint32_t size = *known_size;
    constexpr std::uint32_t block_size = 64 * 1024;
    const auto block = std::make_unique_for_overwrite<std::uint8_t[]>(block_size);
    for (std::uint32_t done = 0; done < size;) {
        const std::uint32_t count = std::min(block_size, size - done);
        std::uint32_t written = 0;
        if (!read_with_retry(from, block.get(), count, document_read_seconds) || !copy.write(block.get(), count, written) ||
            written != count) {
            return false;
        }
        done += count;
    }
    return true;
}

bool write_changed_document(OpenedDocument& source, platform::FileReplacement& output) {
    DocumentHeader header = source.header;
    header[fine_flag_offset] = header[fine_flag_offset] == 0 ? 1 : 0;
    BufferedReplacementSink sink(output);
    if (!sink.put(header.data(), document_header_size)) return false;
    const std::uint8_t fine = header[fine_flag_offset];
    const EncodeFlags options = ENCODE_RTC | ENCODE_SKIP_HEADER | (fine ? ENCODE_EVERY_ROW : EncodeFlags::none);

    DocumentHeader rebuilt = header;
    set_page_table_entry(rebuilt, 0, document_header_size);
    for (std::uint32_t page = 1; page <= source.page_count(); ++page) {
        std::uint32_t end = page_table_entry(rebuilt, page - 1);
        PageRead outcome;
        const MemoryBlock bytes = read_page(source, page, &outcome);
        if (outcome == PageRead::read_failed) return trace::stop("page %u cannot be read", page), false;
        // A page whose bytes cannot be had stays empty.
        if (bytes) {
            const auto length = static_cast<std::uint32_t>(bytes.size());
            PackedBitmap image = decode_page(bytes.data(), static_cast<std::int32_t>(length), {.double_lines = fine != 0});
            if (image) end += encode_raster(image, sink, options);
            trace::line("page %u: %u bytes, %d rows decoded, %u bytes coded", page, length,
                        image ? bitmap_height(image) : 0, end - page_table_entry(rebuilt, page - 1));
        }
        if (!output.good()) return trace::stop("the new document cannot be written"), false;
        set_page_table_entry(rebuilt, page, end);
    }
    if (!sink.finish_with_start(rebuilt.data(), document_header_size)) return trace::stop("the new document cannot be written"), false;
    return true;
}

}  // namespace korvif
