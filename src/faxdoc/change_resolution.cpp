// RES: a whole fax document from normal to fine resolution or back. Every page is decoded and
// coded again, and the page table rebuilt. The output may be the source itself.
//
// The source is read from a private copy in the temporary directory, and the new document is
// built in a work file beside the output. Only a document that was completed takes the output's
// place, so a run that fails half-way (a page that cannot be read) leaves the output, and with
// it the source when both are the same file, as it was.
#include <string>

#include "app/arguments.h"
#include "app/output_path.h"
#include "codec/page_decoder.h"
#include "codec/raster_encoder.h"
#include "faxdoc/change_resolution.h"
#include "faxdoc/commands.h"
#include "faxdoc/document.h"
#include "platform/file.h"

namespace korvif {

namespace {

bool write_header(const char* path, platform::FileMode mode, const DocumentHeader& header, bool* opened = nullptr) {
    platform::File file = platform::File::open(path, mode);
    if (opened != nullptr) *opened = file.is_open();
    if (!file.is_open()) return false;
    std::uint32_t written = 0;
    return file.write(header.data(), document_header_size, written) && written == document_header_size;
}

// The work file: the output's name with "~" in front, in the output's directory.
std::string work_path_for(const char* output) {
    const std::string path = output;
    const std::size_t separator = path.find_last_of(platform::path_separator);
    const std::size_t name = separator == std::string::npos ? 0 : separator + 1;
    return path.substr(0, name) + "~" + path.substr(name);
}

}  // namespace

bool write_changed_document(OpenedDocument& source, const char* work, bool& work_created) {
    DocumentHeader header = source.header;
    header[fine_flag_offset] = header[fine_flag_offset] == 0 ? 1 : 0;
    if (!write_header(work, platform::FileMode::create_always, header, &work_created)) return false;
    const std::uint8_t fine = header[fine_flag_offset];
    const int options = ENCODE_RTC | ENCODE_SKIP_HEADER | ENCODE_APPEND | (fine ? ENCODE_EVERY_ROW : 0);

    DocumentHeader rebuilt = header;
    set_page_table_entry(rebuilt, 0, document_header_size);
    for (std::uint32_t page = 1; page <= source.page_count(); ++page) {
        const PageRange range = page_range(source.header, page, source.size);
        std::uint32_t end = page_table_entry(rebuilt, page - 1);
        if (range.length != 0) {
            PageRead outcome;
            const MemoryBlock bytes = read_document_bytes(source, range.start, range.length, &outcome);
            if (outcome == PageRead::read_failed) return false;
            if (bytes) {
                PackedBitmap image = decode_page(bytes.data(), static_cast<std::int32_t>(range.length), fine, 0);
                if (image) end += encode_raster(image, work, options);
            }
        }
        set_page_table_entry(rebuilt, page, end);
    }
    return write_header(work, platform::FileMode::open_existing_write, rebuilt);
}

// RES:source document,output document
int run_change_resolution(char* arguments) {
    char* comma = next_comma(arguments);
    if (comma == nullptr) return 0;
    const char* output = set_output_path(cut_at(comma));
    const char* source = arguments;
    if (output == nullptr || *source == '\0' || *output == '\0' || !platform::file_exists(source)) return 0;

    const std::string temporary = platform::temporary_directory();
    if (temporary.empty()) return 0;
    const auto copy = platform::create_unique_temporary_file(temporary, "CR");
    if (!copy) return 0;
    platform::copy_file(source, copy->c_str());  // a failed copy leaves it empty, and it is refused

    const std::string work = work_path_for(output);
    bool work_created = false;
    auto copied = open_document(copy->c_str(), platform::FileMode::read_private_temporary);
    if (copied && write_changed_document(*copied, work.c_str(), work_created)) {
        if (platform::replace_file(work.c_str(), output)) return 0;
        platform::copy_file(work.c_str(), output);
    }
    if (work_created) platform::remove_file(work.c_str());
    return 0;
}

}  // namespace korvif
