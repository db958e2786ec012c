// RES: a whole fax document from normal to fine resolution or back. Every page is decoded and
// coded again, and the page table rebuilt. The output may be the source itself.
//
// The source is read from a private copy in the temporary directory, and the new document is
// built in a work file beside the output. Only a complete document takes the output's place:
// a run that fails half-way (a page that cannot be read, a full disk) leaves the output, and
// with it the source when both are the same file, as it was.
#include <algorithm>
#include <memory>
#include <string>
#include <utility>

#include "command/arguments.h"
#include "command/output_path.h"
#include "codec/page_decoder.h"
#include "codec/raster_encoder.h"
#include "faxdoc/change_resolution.h"
#include "faxdoc/commands.h"
#include "faxdoc/document.h"
#include "faxdoc/file_sinks.h"
#include "platform/file.h"
#include "platform/trace.h"

namespace korvif {

namespace {

// Copies the source document into the private copy in blocks of 64 KiB, reading it as every
// document is read (retried while another program holds it). False unless every byte was copied.
bool copy_document(const char* source, platform::File& copy) {
    platform::File from = platform::File::open(source, platform::FileMode::read_shared, platform::OpenRetry::when_held_or_missing);
    if (!from.is_open()) return false;
    const std::uint32_t size = from.size();
    if (size >= 0x80000000u) return false;
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

}  // namespace

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
        const PageRange range = page_range(source.header, page, source.size);
        std::uint32_t end = page_table_entry(rebuilt, page - 1);
        if (range.length != 0) {
            PageRead outcome;
            const MemoryBlock bytes = read_document_bytes(source, range.start, range.length, &outcome);
            if (outcome == PageRead::read_failed) return trace::stop("page %u cannot be read", page), false;
            if (bytes) {
                PackedBitmap image = decode_page(bytes.data(), static_cast<std::int32_t>(range.length), fine, 0);
                if (image) end += encode_raster(image, sink, options);
                trace::line("page %u: %u bytes, %d rows decoded, %u bytes coded", page, range.length,
                            image ? bitmap_height(image) : 0, end - page_table_entry(rebuilt, page - 1));
            }
        }
        if (!output.good()) return trace::stop("the new document cannot be written"), false;
        set_page_table_entry(rebuilt, page, end);
    }
    if (!sink.finish_with_start(rebuilt.data(), document_header_size)) return trace::stop("the new document cannot be written"), false;
    return true;
}

// RES:source document,output document
int run_change_resolution(char* arguments) {
    char* comma = next_comma(arguments);
    if (comma == nullptr) return trace::stop("the second field is missing");
    const char* output = set_output_path(cut_at(comma));
    const char* source = arguments;
    if (output == nullptr || *output == '\0') return trace::stop("no usable output path");
    if (*source == '\0') return trace::stop("the source path is empty");
    trace::line("source %s, output %s", source, output);
    if (!platform::file_exists(source)) return trace::stop("the source was not found");

    // The copy is gone when its handle closes, however the run ends.
    std::string copy_name;
    platform::File copy = platform::File::create_scratch("CR", &copy_name);
    if (!copy.is_open()) {
        if (copy_name.empty()) return trace::stop("no temporary directory");
        const std::string error = trace::utf8(trace::system_error());
        return trace::utf8_stop("no temporary file in %s: %s", copy_name.c_str(), error.c_str());
    }
    if (!copy_document(source, copy)) return trace::utf8_stop("the source cannot be copied to %s", copy_name.c_str());

    auto copied = open_document(std::move(copy));
    if (!copied) return trace::stop("the source cannot be read as a document");
    platform::FileReplacement replacement(output);
    if (!replacement.good()) return trace::stop("the output cannot be written");
    if (write_changed_document(*copied, replacement)) replacement.commit();
    return 0;
}

}  // namespace korvif
