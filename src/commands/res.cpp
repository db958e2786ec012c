// RES: a whole fax document from normal to fine resolution or back. Every page is decoded and
// coded again, and the page table rebuilt. The output may be the source itself.
//
// The source is read from a private copy in the temporary directory, and the new document is
// built in a work file beside the output. Only a complete document takes the output's place:
// a run that fails half-way (a page that cannot be read, a full disk) leaves the output, and
// with it the source when both are the same file, as it was.
#include <string>
#include <utility>

#include "command/arguments.h"
#include "commands/commands.h"
#include "faxdoc/change_resolution.h"
#include "faxdoc/document.h"
#include "platform/file.h"
#include "platform/replacement.h"
#include "platform/trace.h"

namespace korvif {

// RES:source document,output document
int run_change_resolution(char* arguments) {
    const Fields fields = split_fields(arguments, ".>");
    if (!fields) return fields.stop();
    const char* output = fields.output;
    const char* source = fields[1];
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
    ResolutionChange change(*copied, replacement);
    for (std::uint32_t page = 1; page <= copied->page_count(); ++page) {
        const Outcome<void> added = change.add_page(page);
        if (!added && added.failure() == Failure::cannot_be_read) return trace::stop("page %u cannot be read", page);
        if (!added) return trace::stop("the new document cannot be written");
    }
    if (!change.finish()) return trace::stop("the new document cannot be written");
    replacement.commit();
    return 0;
}

}  // namespace korvif
