// S2F: an SFF file to a fax document.
#include "command/arguments.h"
#include "command/stop.h"
#include "commands/commands.h"
#include "faxdoc/sff_to_document.h"
#include "platform/files/file.h"
#include "platform/replace/replacement.h"
#include "platform/trace/trace.h"

namespace korvif {

namespace {

struct SffToDocument {
    const char* sff;
    const char* document;
};

}  // namespace

// S2F:number (read, not used),source SFF path,document path
int run_sff_to_document(char* arguments) {
    const Fields fields = split_fields(arguments, "::$");
    if (!fields) return fields.stop();
    const SffToDocument request {.sff = fields[2], .document = fields[3]};
    trace::line("SFF file \"%s\", document \"%s\"", request.sff, request.document);
    if (*request.sff == '\0') return stop(Failure::empty_path, "the SFF");
    if (*request.document == '\0') return stop(Failure::empty_path, "the document");

    if (!platform::file_exists(request.sff)) return stop(Failure::not_found, "the SFF file");
    // A document written over its own SFF file would be read while it is made, and the fax lost.
    if (platform::same_file(request.sff, request.document))
        return stop({Failure::is_the_input, "the SFF file"}, "the document");
    Outcome<platform::File> file =
        platform::File::open(request.sff, platform::FileMode::read_shared, platform::OpenRetry::when_held_or_missing);
    if (!file) return stop({Failure::cannot_be_opened, "", trace::system_error_number()}, "the SFF file");
    SffReader in(*file);
    const Outcome<std::uint32_t> first_page = read_first_page_offset(in);
    if (!first_page) return stop(first_page.failed(), "the SFF file");
    if (const Outcome<void> at = in.seek(*first_page); !at)
        return stop(at.failed(), "the first page offset %u", *first_page);
    platform::FileReplacement document(request.document);
    if (!document.good()) return stop(Failure::cannot_be_written, "the document");
    const Outcome<SffDocument> written = write_document_from_sff(in, document);
    if (!written) return stop(written.failed(), "the document");
    // Closed first, so that no handle of this run stands in the replace's way. A refused replace
    // is traced where it happens.
    static_cast<void>(file->close());
    static_cast<void>(document.commit());
    return 0;
}

}  // namespace korvif
