// F2D: one page of a fax document (or a whole file of MH data, page 0) to a BMP file.
#include "command/arguments.h"
#include "command/output_path.h"
#include "codec/page_decoder.h"
#include "commands/commands.h"
#include "faxdoc/document.h"
#include "image/bmp_file.h"
#include "platform/file.h"
#include "platform/trace.h"

namespace korvif {

namespace {

constexpr int option_trim_trailing_white = 1;  // bit 0 of the options field

Outcome<PackedBitmap> read_and_decode_page(const char* document_path, std::uint32_t page, int options) {
    if (!platform::file_exists(document_path)) {
        trace::stop("the document was not found");
        return Failure::not_found;
    }
    auto document = open_document(document_path, platform::FileMode::read_shared);
    if (!document) {
        trace::stop("the document cannot be read");
        return document.failed();
    }
    if (page > document->page_count()) {
        // A page beyond 2^31 was given as a negative number, and is shown as such.
        trace::stop("page %d of a %u-page document", static_cast<std::int32_t>(page), document->page_count());
        return Failure::not_found;
    }
    const PageRange range = document_page_range(*document, page);
    // Page 0 is the whole file read as MH data: no page of the document, so no resolution.
    const bool double_lines = page != 0 && document->fine_flag() == 0;
    trace::line("page %u: %u bytes from offset %u, lines %s", page, range.length, range.start, double_lines ? "doubled" : "single");
    if (range.length == 0) {
        trace::stop("page %u is empty", page);
        return Failure::empty;
    }
    const Outcome<MemoryBlock> bytes = read_page(*document, page);
    if (!bytes) {
        trace::stop("page %u cannot be read", page);
        return bytes.failed();
    }
    const DecodeOptions layout {.double_lines = double_lines, .trim_trailing_white = (options & option_trim_trailing_white) != 0};
    Outcome<PackedBitmap> image = decode_page(bytes->data(), static_cast<std::int32_t>(range.length), layout);
    if (!image) {
        trace::stop("page %u cannot be decoded", page);
        return image;
    }
    trace::line("decoded %d rows", bitmap_height(*image));
    return image;
}

}  // namespace

// F2D:page,options,document path,output path ("*" stands for the document's directory)
int run_document_page_to_bmp(char* arguments) {
    const Fields fields = split_fields(arguments, ":..>");
    if (!fields) return fields.stop();
    const char* document_path = fields[3];
    if (!take_output_beside(fields.output, document_path, "document")) return 0;

    const auto page = static_cast<std::uint32_t>(read_number(arguments));
    const int options = read_number(fields[2]);
    trace::line("page %d, options %d, document %s, output %s", static_cast<std::int32_t>(page), options, document_path, output_path());
    const Outcome<PackedBitmap> image = read_and_decode_page(document_path, page, options);
    if (image && !save_bmp(*image, output_path())) return trace::stop("the output cannot be written");
    return 0;
}

}  // namespace korvif
