#include "faxdoc/sff_to_document.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "command/arguments.h"
#include "codec/mh_tables.h"
#include "faxdoc/commands.h"
#include "faxdoc/document.h"
#include "faxdoc/sff_format.h"
#include "platform/file.h"
#include "platform/replacement.h"
#include "platform/trace.h"

namespace korvif {

namespace {

struct CloseStream {
    void operator()(std::FILE* stream) const { std::fclose(stream); }
};
using Stream = std::unique_ptr<std::FILE, CloseStream>;

// The document is built in memory and written in one piece at the end.
using Output = std::vector<std::uint8_t>;

template <std::size_t N>
void put(Output& out, const std::array<std::uint8_t, N>& bytes) {
    out.insert(out.end(), bytes.begin(), bytes.end());
}

void put(Output& out, const std::uint8_t* bytes, std::size_t count) { out.insert(out.end(), bytes, bytes + count); }

bool read_exactly(std::FILE* in, void* buffer, std::size_t count) {
    return count != 0 && std::fread(buffer, count, 1, in) == 1;
}

void put_white_line(Output& out) {
    put(out, mh::aligned_eol);
    put(out, mh::white_line_code);
}

void put_text(DocumentHeader& header, std::size_t offset, const char* text) {
    std::memcpy(header.data() + offset, text, std::strlen(text));
}

// Copies the record stream into the document until a record ends it. Returns the page count.
std::uint32_t copy_records(std::FILE* in, Output& out, DocumentHeader& header) {
    std::vector<std::uint8_t> line(sff::longest_long_line + 1);
    std::uint32_t pages = 0;
    for (;;) {
        const int type = std::fgetc(in);
        if (type == EOF) break;
        if (type == sff::long_line_record) {
            std::uint8_t length_bytes[2];
            if (!read_exactly(in, length_bytes, 2)) break;
            const std::uint32_t length = length_bytes[0] | (length_bytes[1] << 8);
            if (length > sff::longest_long_line || !read_exactly(in, line.data(), length)) break;
            put(out, mh::aligned_eol);
            put(out, line.data(), length);
        } else if (type <= sff::longest_short_line) {
            if (!read_exactly(in, line.data(), static_cast<std::size_t>(type))) break;
            put(out, mh::aligned_eol);
            put(out, line.data(), static_cast<std::size_t>(type));
        } else if (type <= sff::last_blank_lines_record) {
            for (int i = 0; i < type - sff::blank_lines_base; ++i) put_white_line(out);
        } else if (type == sff::page_header_record) {
            if (pages != 0) put(out, mh::rtc_bytes);
            const int header_length = std::fgetc(in);
            if (header_length == EOF || header_length == 0) break;
            std::uint8_t page_header[sff::page_header_size];
            if (!read_exactly(in, page_header, sizeof page_header)) break;
            if (page_header[0] == sff::end_of_document_resolution) break;
            // The document holds at most 255 pages: a further page ends the conversion, its
            // predecessor closed by the RTC just written.
            if (pages == maximum_pages) break;
            if (pages == 0 && page_header[0] != 0) header[fine_flag_offset] = 1;
            set_page_table_entry(header, pages, static_cast<std::uint32_t>(out.size()));
            ++pages;
            if (header_length > static_cast<int>(sff::page_header_size) &&
                std::fseek(in, header_length - static_cast<long>(sff::page_header_size), SEEK_CUR) != 0) {
                break;
            }
        } else {
            const int information_length = std::fgetc(in);
            if (information_length == EOF) break;
            if (information_length == 0) {
                put_white_line(out);  // a faulty line becomes a white line
            } else if (std::fseek(in, information_length, SEEK_CUR) != 0) {
                break;
            }
        }
        if (std::feof(in)) break;
    }
    return pages;
}

}  // namespace

bool convert_sff_to_document(const char* sff_path, const char* document_path) {
    if (*sff_path == '\0') return trace::stop("the SFF path is empty"), false;
    if (*document_path == '\0') return trace::stop("the document path is empty"), false;
    if (!platform::file_exists(sff_path)) return trace::stop("the SFF file was not found"), false;
    Stream in(std::fopen(sff_path, "rb"));
    if (!in) return trace::stop("the SFF file cannot be opened: %s", trace::system_error().c_str()), false;
    std::uint8_t sff_header[sff::document_header_size];
    if (std::fread(sff_header, sizeof sff_header, 1, in.get()) != 1) {
        return trace::stop("the SFF file is shorter than its %u-byte header", sff::document_header_size), false;
    }
    const long first_page = sff_header[sff::first_page_offset_field] | (sff_header[sff::first_page_offset_field + 1] << 8);
    if (std::fseek(in.get(), first_page, SEEK_SET) != 0) return trace::stop("the first page offset %ld cannot be reached", first_page), false;

    platform::FileReplacement document(document_path);
    if (!document.good()) return trace::stop("the document cannot be written"), false;
    DocumentHeader header {};
    Output out(header.size());
    header[page_count_offset] = static_cast<std::uint8_t>(copy_records(in.get(), out, header));
    put_text(header, maker_offset, "Korvane         ");
    put_text(header, format_version_offset, "3.0             ");
    header[format_byte_offset] = 2;
    put_text(header, text_field_offset, "ISDN                          ");
    std::copy(header.begin(), header.end(), out.begin());
    in.reset();
    trace::line("SFF file read: %u pages, fine flag %u, document of %zu bytes", header[page_count_offset],
                header[fine_flag_offset], out.size());
    if (out.size() >= 0x80000000u) return trace::stop("the document would reach 2 GB"), false;
    return document.write(out.data(), static_cast<std::uint32_t>(out.size())) && document.commit();
}

// S2F:number,source SFF path,document path
int run_sff_to_document(char* arguments) {
    char* comma = next_comma_after_first(arguments);
    if (comma == nullptr) return trace::stop("the second field is missing");
    char* source = comma + 1;
    char* second = next_comma_after_first(source);
    if (second == nullptr) return trace::stop("the third field is missing");
    char* target = cut_at(second);
    trace::line("SFF file %s, document %s", source, target);
    convert_sff_to_document(source, target);
    return 0;
}

}  // namespace korvif
