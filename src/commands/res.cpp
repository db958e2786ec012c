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
#include "command/stop.h"
#include "commands/commands.h"
#include "faxdoc/change_resolution.h"
#include "faxdoc/document.h"
#include "platform/files/file.h"
#include "platform/replace/replacement.h"
#include "platform/trace/trace.h"

namespace korvif {

namespace {

struct ChangeOfResolution {
    const char* source;
    const char* output;  // may be the source
};

}  // namespace

// RES:source document,output document
int run_change_resolution(char* arguments) {
    const Fields fields = split_fields(arguments, ".>");
    if (!fields) return fields.stop();
    const ChangeOfResolution request {.source = fields[1], .output = fields.output};
    if (*request.source == '\0') return stop(Failure::empty_path, "the source");
    trace::line("source \"%s\", output \"%s\"", request.source, request.output);

    if (!platform::file_exists(request.source)) return stop(Failure::not_found, "the source");
    // The copy is gone when its handle closes, however the run ends.
    const Outcome<platform::NativePath> temporary = platform::temporary_directory();
    if (!temporary) return stop(Failure::absent, "temporary directory");
    Outcome<platform::ScratchFile> copy = platform::File::create_scratch(*temporary, "CR");
    if (!copy) {
        return utf8_stop({Failure::absent, "", trace::system_error_number()}, "temporary file in \"%s\"",
                         platform::printable(*temporary).c_str());
    }
    if (!copy_document(request.source, copy->file)) {
        const std::string quoted = "\"" + copy->name + "\"";
        return utf8_stop({Failure::cannot_be_copied, quoted.c_str()}, "the source");
    }
    Outcome<OpenedDocument> copied = open_document(std::move(copy->file));
    if (!copied) return stop(Failure::not_a_document, "the source");
    platform::FileReplacement output(request.output);
    if (!output.good()) return stop(Failure::cannot_be_written, "the output");
    ResolutionChange change(*copied, output);
    for (std::uint32_t page = 1; page <= copied->page_count(); ++page) {
        // A page fails as read or had (cannot_be_read, no_memory); the new document as written.
        const Outcome<void> added = change.add_page(page);
        if (!added && added.failure() != Failure::cannot_be_written) return stop(added.failed(), "page %u", page);
        if (!added) return stop(added.failed(), "the new document");
    }
    if (const Outcome<void> finished = change.finish(); !finished) return stop(finished.failed(), "the new document");
    static_cast<void>(output.commit());  // a refused replace is traced where it happens
    return 0;
}

}  // namespace korvif
