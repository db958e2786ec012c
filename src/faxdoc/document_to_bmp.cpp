// F2D: one page of a fax document (or a whole file of MH data, page 0) to a BMP file.
#include "command/arguments.h"
#include "command/output_path.h"
#include "codec/page_decoder.h"
#include "faxdoc/commands.h"
#include "faxdoc/document.h"
#include "image/bmp_file.h"
#include "platform/file.h"

namespace korvif {

namespace {

PackedBitmap read_and_decode_page(const char* document_path, std::uint32_t page, int options) {
    if (!platform::file_exists(document_path)) return {};
    auto document = open_document(document_path, platform::FileMode::read_shared);
    if (!document || page > document->page_count()) return {};
    PageRange range {0, document->size};
    std::uint8_t double_lines = 0;
    if (page != 0) {
        range = page_range(document->header, page, document->size);
        double_lines = document->fine_flag() == 0 ? 1 : 0;
    }
    if (range.length == 0) return {};
    const MemoryBlock bytes = read_document_bytes(*document, range.start, range.length);
    if (!bytes) return {};
    return decode_page(bytes.data(), static_cast<std::int32_t>(range.length), double_lines, options);
}

}  // namespace

// F2D:page,options,document path,output path ("*" stands for the document's directory)
int run_document_page_to_bmp(char* arguments) {
    char* first = next_comma_after_first(arguments);
    if (first == nullptr) return 0;
    char* options_text = first + 1;
    char* second = next_comma(options_text);
    if (second == nullptr) return 0;
    char* document_path = second + 1;
    char* third = next_comma(document_path);
    if (third == nullptr) return 0;
    const char* output = set_output_path(cut_at(third));
    if (output == nullptr || *document_path == '\0' || *output == '\0') return 0;
    if (!complete_output_path(document_path)) return 0;

    const auto page = static_cast<std::uint32_t>(read_number(arguments));
    const PackedBitmap image = read_and_decode_page(document_path, page, read_number(options_text));
    if (image) save_bmp(image, output_path());
    return 0;
}

}  // namespace korvif
