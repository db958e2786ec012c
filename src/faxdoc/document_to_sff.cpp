#include "faxdoc/document_to_sff.h"

#include <cstdio>
#include <string>

#include "codec/mh_tables.h"
#include "codec/sff_recoder.h"
#include "faxdoc/document.h"
#include "faxdoc/file_sinks.h"
#include "faxdoc/sff_format.h"
#include "platform/file.h"
#include "platform/trace.h"

namespace korvif {

namespace {

void put_document_header(ByteSink& sff, std::uint16_t pages) {
    const std::uint8_t header[sff::document_header_size] = {
        'S', 'f', 'f', 'f', 1, 0, 0, 0,
        static_cast<std::uint8_t>(pages), static_cast<std::uint8_t>(pages >> 8),
        sff::document_header_size, 0, 0, 0, 0, 0, 0, 0, 0, 0,
    };
    sff.put(header, sizeof header);
}

// Vertical resolution (the document's fine flag), horizontal resolution, coding and a reserved
// byte, the line length in pixels, then page length and the offsets of the pages before and
// after it, all 0.
void put_page_header(ByteSink& sff, std::uint8_t fine_flag) {
    constexpr auto line_length = static_cast<std::uint16_t>(mh::line_pixels);
    const std::uint8_t record[2 + sff::page_header_size] = {
        sff::page_header_record, sff::page_header_size, fine_flag, 0, 0, 0,
        static_cast<std::uint8_t>(line_length), static_cast<std::uint8_t>(line_length >> 8), 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
    };
    sff.put(record, sizeof record);
}

// The lines of the page's header strip file, when it exists and can be read; nothing otherwise.
void put_header_strip(ByteSink& sff, const std::string& prefix, std::uint32_t page) {
    char name[32];
    std::snprintf(name, sizeof name, "~ikvd%03u.kvd", page);
    const std::string path = prefix + name;
    platform::File strip = platform::File::open(path.c_str(), platform::FileMode::read_shared);
    if (!strip.is_open()) return;
    const std::uint32_t size = strip.size().value_or(0);
    if (size == 0 || size >= platform::size_limit) return;
    MemoryBlock bytes = MemoryBlock::allocate(size);
    if (!bytes || !read_with_retry(strip, bytes.data(), size, document_read_seconds)) return;
    trace::line("page %u: header strip of %u bytes", page, size);
    recode_page_to_sff(bytes.data(), sff, static_cast<std::int32_t>(size));
}

}  // namespace

bool write_sff_pages(platform::FileReplacement& sff, OpenedDocument& document, const std::string& prefix,
                 std::uint32_t first, std::uint32_t last) {
    if (!sff.good()) return trace::stop("the SFF file cannot be written"), false;
    BufferedReplacementSink sink(sff);
    put_document_header(sink, static_cast<std::uint16_t>(last >= first ? last - first + 1 : 0));
    for (std::uint32_t page = first; page <= last; ++page) {
        PageRead outcome;
        const MemoryBlock bytes = read_page(document, page, &outcome);
        if (outcome == PageRead::empty) continue;
        if (outcome == PageRead::no_memory) return trace::stop("page %u cannot be had", page), false;
        if (outcome == PageRead::read_failed) return trace::stop("page %u cannot be read", page), false;
        put_page_header(sink, document.fine_flag());
        put_header_strip(sink, prefix, page);
        recode_page_to_sff(bytes.data(), sink, static_cast<std::int32_t>(bytes.size()));
    }
    const std::uint8_t end_of_document[2] = {sff::page_header_record, 0};
    sink.put(end_of_document, sizeof end_of_document);
    if (!sink.finish()) return trace::stop("the SFF file cannot be written"), false;
    return true;
}

}  // namespace korvif
