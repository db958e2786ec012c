// F2D: one page of a fax document (or a whole file of MH data, page 0) to a BMP file.
#include <string>

#include "codec/page_decoder.h"
#include "command/arguments.h"
#include "command/stop.h"
#include "commands/commands.h"
#include "faxdoc/document.h"
#include "image/bmp_file.h"
#include "image/page_bitmap.h"
#include "platform/files/file.h"
#include "platform/trace/trace.h"

namespace korvif {

namespace {

struct PageToBitmap {
    std::uint32_t page;  // 0: the whole file as MH data; a number beyond 2^31 was given as a negative one
    std::int32_t options;
    const char* document;
    const char* output;

    bool trim_trailing_white() const { return (options & 1) != 0; }  // bit 0 of the options
};

}  // namespace

// F2D:page,options,document path,output path ("*" stands for the document's directory)
int run_document_page_to_bmp(char* arguments) {
    const Fields fields = split_fields(arguments, ":..*");
    if (!fields) return fields.stop();
    const PageToBitmap request {.page = static_cast<std::uint32_t>(read_number(arguments)),
                                .options = read_number(fields[2]),
                                .document = fields[3],
                                .output = fields.output};
    if (*request.document == '\0') return stop(Failure::empty_path, "the document");
    const auto page = static_cast<std::int32_t>(request.page);  // as given
    trace::line("page %d, options %d, document \"%s\", output \"%s\"", page, request.options, request.document,
                request.output);

    if (!platform::file_exists(request.document)) return stop(Failure::not_found, "the document");
    // A bitmap over the document would lose every other page: a mistyped output is refused.
    if (platform::same_file(request.document, request.output))
        return stop({Failure::is_the_input, "the document"}, "the output");
    Outcome<OpenedDocument> document = open_document(request.document, platform::FileMode::read_shared);
    if (!document) return stop(Failure::cannot_be_read, "the document");
    if (request.page > document->page_count()) {
        const std::string pages = "a " + std::to_string(document->page_count()) + "-page document";
        return stop({Failure::out_of_range, pages.c_str()}, "page %d", page);
    }
    const PageRange range = document_page_range(*document, request.page);
    // Page 0 is the whole file read as MH data: no page of the document, so no resolution.
    const bool double_lines = request.page != 0 && document->fine_flag() == 0;
    trace::line("page %u: %u bytes from offset %u, lines %s", request.page, range.length, range.start,
                double_lines ? "doubled" : "single");
    const Outcome<MemoryBlock> bytes = read_page(*document, request.page);
    if (!bytes)
        return stop(named_by_step(bytes.failed(), Failure::cannot_be_read, Failure::empty), "page %u", request.page);
    const DecodeOptions layout {.double_lines = double_lines, .trim_trailing_white = request.trim_trailing_white()};
    const Outcome<DecodedPage> decoded = decode_page(std::span(bytes->data(), range.length), layout);
    if (!decoded)
        return stop(named_by_step(decoded.failed(), Failure::cannot_be_decoded, Failure::no_memory), "page %u",
                    request.page);
    const Outcome<PackedBitmap> image = page_bitmap(*decoded);
    if (!image) return stop(Failure::no_memory, "page %u", request.page);
    trace::line("decoded %d rows", image->height());
    if (!save_bmp(*image, request.output)) return stop(Failure::cannot_be_written, "the output");
    return 0;
}

}  // namespace korvif
