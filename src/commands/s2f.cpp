// S2F: an SFF file to a fax document.
#include "command/arguments.h"
#include "commands/commands.h"
#include "faxdoc/sff_to_document.h"
#include "platform/file.h"
#include "platform/replacement.h"
#include "platform/trace.h"

namespace korvif {

// S2F:number,source SFF path,document path
int run_sff_to_document(char* arguments) {
    const Fields fields = split_fields(arguments, "::$");
    if (!fields) return fields.stop();
    const char* source = fields[2];
    const char* target = fields[3];
    trace::line("SFF file %s, document %s", source, target);
    if (*source == '\0') return trace::stop("the SFF path is empty");
    if (*target == '\0') return trace::stop("the document path is empty");
    if (!platform::file_exists(source)) return trace::stop("the SFF file was not found");
    platform::File file = platform::File::open(source, platform::FileMode::read_shared, platform::OpenRetry::when_held_or_missing);
    if (!file.is_open()) return trace::stop("the SFF file cannot be opened: %s", trace::system_error().c_str());
    SffReader in(file);
    const Outcome<std::uint32_t> first_page = read_first_page_offset(in);
    if (!first_page) return trace::stop("the SFF file is shorter than its %s", first_page.failed().detail);
    if (!in.seek(*first_page)) return trace::stop("the first page offset %u cannot be reached", *first_page);

    platform::FileReplacement document(target);
    if (!document.good()) return trace::stop("the document cannot be written");
    const Outcome<SffDocument> written = write_document_from_sff(in, document);
    if (!written) {
        if (written.failure() == Failure::too_large) return trace::stop("the document would reach 2 GB");
        return trace::stop("the document cannot be written");
    }
    document.commit();
    return 0;
}

}  // namespace korvif
