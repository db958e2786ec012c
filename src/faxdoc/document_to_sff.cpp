#include "faxdoc/document_to_sff.h"

#include <cstdio>
#include <string>
#include <utility>

#include "codec/mh_tables.h"
#include "codec/sff_recoder.h"
#include "faxdoc/document.h"
#include "faxdoc/file_sinks.h"
#include "faxdoc/sff_format.h"
#include "platform/files/file.h"
#include "platform/trace/trace.h"

namespace korvif {

namespace {

void put_document_header(ByteSink& sff, std::uint16_t pages) {
    const std::uint8_t header[sff::document_header_size] = {
        // clang-format off
        'S', 'f', 'f', 'f', 1, 0, 0, 0,
        static_cast<std::uint8_t>(pages), static_cast<std::uint8_t>(pages >> 8),
        sff::document_header_size, 0, 0, 0, 0, 0, 0, 0, 0, 0,
        // clang-format on
    };
    sff.put(header, sizeof header);
}

// Vertical resolution (the document's fine flag), horizontal resolution, coding and a reserved
// byte, the line length in pixels, then page length and the offsets of the pages before and
// after it, all 0.
void put_page_header(ByteSink& sff, std::uint8_t fine_flag) {
    constexpr auto line_length = static_cast<std::uint16_t>(mh::line_pixels);
    const std::uint8_t record[2 + sff::page_header_size] = {
        // clang-format off
        sff::page_header_record, sff::page_header_size, fine_flag, 0, 0, 0,
        static_cast<std::uint8_t>(line_length), static_cast<std::uint8_t>(line_length >> 8),
        0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
        // clang-format on
    };
    sff.put(record, sizeof record);
}

// The lines of the page's header strip file, when it exists and can be read; nothing otherwise.
void put_header_strip(ByteSink& sff, const std::string& prefix, std::uint32_t page) {
    char name[32];
    std::snprintf(name, sizeof name, "~ikvd%03u.kvd", page);
    const std::string path = prefix + name;
    // Most pages have none: that is said in one line, not as a file that failed to open.
    Outcome<platform::File> strip = platform::File::open_if_present(path.c_str(), platform::FileMode::read_shared);
    if (!strip) {
        if (strip.failure() == Failure::not_found) trace::line("no header strip %s", name);
        return;
    }
    const std::uint32_t size = strip->size().value_or(0);
    if (size == 0 || size >= platform::size_limit) return;
    Outcome<MemoryBlock> bytes = MemoryBlock::allocate(size);
    if (!bytes || !read_with_retry(*strip, bytes->data(), size, document_read_seconds)) return;
    trace::line("page %u: header strip of %u bytes", page, size);
    recode_page_to_sff(std::span(bytes->data(), size), sff);
}

}  // namespace

SffWriter::SffWriter(platform::FileReplacement& sff, std::uint16_t page_count, std::uint8_t fine_flag,
                     std::string strip_prefix)
    : sink_(sff), fine_flag_(fine_flag), strip_prefix_(std::move(strip_prefix)) {
    put_document_header(sink_, page_count);
}

void SffWriter::put_page(std::uint32_t n, const MemoryBlock& bytes) {
    put_page_header(sink_, fine_flag_);
    put_header_strip(sink_, strip_prefix_, n);
    recode_page_to_sff(std::span(bytes.data(), bytes.size()), sink_);
}

Outcome<void> SffWriter::finish() {
    const std::uint8_t end_of_document[2] = {sff::page_header_record, 0};
    sink_.put(end_of_document, sizeof end_of_document);
    return sink_.finish();
}

}  // namespace korvif
