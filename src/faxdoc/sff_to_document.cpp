#include "faxdoc/sff_to_document.h"

#include <cstring>
#include <memory>

#include "codec/mh_tables.h"
#include "faxdoc/document.h"
#include "faxdoc/file_sinks.h"
#include "faxdoc/sff_format.h"
#include "platform/files/file.h"
#include "platform/replace/replacement.h"
#include "platform/trace/trace.h"

namespace korvif {

SffReader::SffReader(platform::File& file)
    : file_(file), buffer_(std::make_unique_for_overwrite<std::uint8_t[]>(capacity)) {}

Outcome<void> SffReader::seek(std::uint32_t offset) {
    start_ = end_ = 0;
    ended_ = false;
    return file_.seek(offset);
}

const std::uint8_t* SffReader::take(std::size_t count) {
    if (end_ - start_ < count && !fill(count)) {
        start_ = end_;
        return nullptr;
    }
    const std::uint8_t* bytes = buffer_.get() + start_;
    start_ += count;
    return bytes;
}

int SffReader::get() {
    const std::uint8_t* byte = take(1);
    return byte != nullptr ? *byte : -1;
}

bool SffReader::fill(std::size_t count) {
    std::memmove(buffer_.get(), buffer_.get() + start_, end_ - start_);
    end_ -= start_;
    start_ = 0;
    while (end_ < count && !ended_) {
        const std::uint32_t delivered =
            file_.read(buffer_.get() + end_, static_cast<std::uint32_t>(capacity - end_)).value_or(0);
        ended_ = delivered == 0;
        end_ += delivered;
    }
    return end_ >= count;
}

namespace {

// The document as it goes to its work file: its size so far, and why writing stopped.
class DocumentWriter {
public:
    explicit DocumentWriter(platform::FileReplacement& document) : sink_(document) {}

    bool put(const std::uint8_t* bytes, std::size_t count) {
        if (size_ + count >= platform::size_limit) {
            too_large_ = true;
            return false;
        }
        if (!sink_.put(bytes, count)) return false;
        size_ += count;
        return true;
    }

    template <std::size_t N>
    bool put(const std::array<std::uint8_t, N>& bytes) {
        return put(bytes.data(), N);
    }

    bool put_line(const std::uint8_t* codes, std::size_t count) { return put(mh::aligned_eol) && put(codes, count); }
    bool put_white_line() { return put_line(mh::white_line_code.data(), mh::white_line_code.size()); }

    std::uint32_t size() const { return static_cast<std::uint32_t>(size_); }
    bool too_large() const { return too_large_; }
    BufferedReplacementSink& sink() { return sink_; }

private:
    BufferedReplacementSink sink_;
    std::uint64_t size_ = 0;
    bool too_large_ = false;
};

// What the document cannot keep of a page's own form: it has one resolution, the first page's,
// and lines of 1728 pixels.
void trace_page_form(std::uint32_t page, const std::uint8_t* page_header, std::uint8_t fine_flag) {
    const std::uint32_t width = page_header[sff::line_length_field] | (page_header[sff::line_length_field + 1] << 8);
    if (width > fax_line_pixels) trace::line("page %u is %u pixels wide: cut to %u", page, width, fax_line_pixels);
    const bool fine = page_header[0] != 0;
    if (fine != (fine_flag != 0)) {
        trace::line("page %u is of %s resolution: drawn at the first page's %s resolution", page,
                    fine ? "fine" : "normal", fine ? "normal" : "fine");
    }
}

void put_text(DocumentHeader& header, std::size_t offset, const char* text) {
    std::memcpy(header.data() + offset, text, std::strlen(text));
}

// Copies the record stream into the document until a record ends it, the file ends or a write is
// refused. Returns the page count.
std::uint32_t copy_records(SffReader& in, DocumentWriter& out, DocumentHeader& header) {
    std::uint32_t pages = 0;
    for (;;) {
        const int type = in.get();
        if (type < 0) break;
        if (type == sff::long_line_record) {
            const std::uint8_t* length_bytes = in.take(2);
            if (length_bytes == nullptr) break;
            const std::uint32_t length = length_bytes[0] | (length_bytes[1] << 8);
            const std::uint8_t* line = length == 0 || length > sff::longest_long_line ? nullptr : in.take(length);
            if (line == nullptr || !out.put_line(line, length)) break;
        } else if (type <= sff::longest_short_line) {
            const std::uint8_t* line = in.take(static_cast<std::size_t>(type));
            if (line == nullptr || !out.put_line(line, static_cast<std::size_t>(type))) break;
        } else if (type <= sff::last_blank_lines_record) {
            bool written = true;
            for (int i = 0; i < type - sff::blank_lines_base && written; ++i) written = out.put_white_line();
            if (!written) break;
        } else if (type == sff::page_header_record) {
            if (pages != 0 && !out.put(mh::rtc_bytes)) break;
            const int header_length = in.get();
            if (header_length <= 0) break;
            const std::uint8_t* page_header = in.take(sff::page_header_size);
            if (page_header == nullptr || page_header[0] == sff::end_of_document_resolution) break;
            // The document holds at most 255 pages: a further page ends the conversion, its
            // predecessor closed by the RTC just written.
            if (pages == maximum_pages) break;
            if (pages == 0 && page_header[0] != 0) header[fine_flag_offset] = 1;
            set_page_table_entry(header, pages, out.size());
            ++pages;
            trace_page_form(pages, page_header, header[fine_flag_offset]);
            // A skip that passes the end of the file ends the conversion at the next record.
            if (header_length > static_cast<int>(sff::page_header_size))
                in.take(static_cast<std::size_t>(header_length) - sff::page_header_size);
        } else {
            const int information_length = in.get();
            if (information_length < 0) break;
            if (information_length == 0) {
                if (!out.put_white_line()) break;  // a faulty line becomes a white line
            } else {
                in.take(static_cast<std::size_t>(information_length));
            }
        }
    }
    return pages;
}

}  // namespace

Outcome<std::uint32_t> read_first_page_offset(SffReader& in) {
    const std::uint8_t* header = in.take(sff::document_header_size);
    if (header == nullptr) return Failed(Failure::too_short, "its 20-byte header");
    return header[sff::first_page_offset_field] | (header[sff::first_page_offset_field + 1] << 8);
}

Outcome<SffDocument> write_document_from_sff(SffReader& in, platform::FileReplacement& document) {
    // The header goes in last, once the page table is known: its place is held first.
    DocumentWriter out(document);
    DocumentHeader header {};
    out.put(header.data(), header.size());
    header[page_count_offset] = static_cast<std::uint8_t>(copy_records(in, out, header));
    put_text(header, maker_offset, "Korvane         ");
    put_text(header, format_version_offset, "3.0             ");
    header[format_byte_offset] = 2;
    put_text(header, text_field_offset, "ISDN                          ");
    if (out.too_large()) return Failed(Failure::too_large, "2 GB");
    const SffDocument written {
        .pages = header[page_count_offset], .fine_flag = header[fine_flag_offset], .size = out.size()};
    trace::line("SFF file read: %u %s, fine flag %u, document of %u bytes", written.pages,
                trace::plural(written.pages, "page", "pages"), written.fine_flag, written.size);
    if (const Outcome<void> finished = out.sink().finish_with_start(header.data(), document_header_size); !finished) {
        return finished.failed();
    }
    return written;
}

}  // namespace korvif
