// F2S: a range of pages of a fax document as the SFF file "~isdnfax.sff" in the directory that the
// host names.
#include <optional>
#include <string>

#include "command/arguments.h"
#include "command/stop.h"
#include "commands/commands.h"
#include "faxdoc/document.h"
#include "faxdoc/document_to_sff.h"
#include "platform/files/file.h"
#include "platform/replace/replacement.h"
#include "platform/trace/trace.h"

namespace korvif {

namespace {

// The prefix is used as it stands (it must end with a separator to name a directory). Composed
// paths must fit in 255 bytes with their terminator; a longer prefix is refused.
constexpr std::size_t longest_prefix = 242;

struct PagesToSff {
    std::int32_t first;  // as given; pages are counted from 1
    std::int32_t last;   // as given; pages beyond the document's are left out
    const char* document;
    std::string prefix;  // the directory of the SFF file and the header strip files

    std::string sff_path() const { return prefix + "~isdnfax.sff"; }
};

}  // namespace

// F2S:number (read, not used),first page,last page,document path,directory prefix
int run_document_to_sff(char* arguments) {
    const Fields fields = split_fields(arguments, "..:.$");
    if (!fields) return fields.stop();
    const PagesToSff request {
        .first = read_number(fields[2]), .last = read_number(fields[3]), .document = fields[4], .prefix = fields[5]};
    if (request.prefix.size() > longest_prefix) {
        const std::string limit = "at most " + std::to_string(longest_prefix);
        return stop({Failure::too_long, limit.c_str()}, "directory prefix of %zu characters", request.prefix.size());
    }
    const std::string sff_path = request.sff_path();
    // Made before the earlier output's owner, so that it goes after it: a stop names the earlier
    // file's removal before the work file's fate.
    std::optional<platform::FileReplacement> sff;
    // The host sends whatever ~isdnfax.sff it finds: from here on, a request that writes no new
    // one removes the earlier request's, which must not go to this request's recipient. It goes
    // when `earlier` does, unless kept.
    platform::EarlierOutput earlier(sff_path.c_str());
    if (!earlier) return stop(Failure::cannot_be_written, "the SFF file");
    if (*request.document == '\0') return stop(Failure::empty_path, "the document");
    // The document that is itself the earlier ~isdnfax.sff is neither written over nor removed.
    if (platform::same_file(request.document, sff_path.c_str())) {
        earlier.keep();
        return stop({Failure::is_the_input, "the document"}, "the SFF file");
    }

    if (!platform::file_exists(request.document)) return stop(Failure::not_found, "the document");
    Outcome<OpenedDocument> document = open_document(request.document, platform::FileMode::read_shared);
    if (!document) return stop(Failure::cannot_be_read, "the document");
    const std::uint32_t first = std::max(static_cast<std::uint32_t>(request.first), 1u);
    const std::uint32_t last = std::min(static_cast<std::uint32_t>(request.last), document->page_count());
    // Numbers beyond 2^31 were given as negative ones, and are shown as such.
    trace::line("pages %d to %d of \"%s\" to \"%s\"", static_cast<std::int32_t>(first), static_cast<std::int32_t>(last),
                request.document, sff_path.c_str());
    // An SFF file without pages is still written, as the host expects one.
    if (first > last) trace::line("no page of the document lies in %d..%d", request.first, request.last);

    // Written in full before it replaces the file of an earlier request, and never in place under
    // a sender's handle.
    sff.emplace(sff_path.c_str(), platform::ReplaceOptions {.in_place = false});
    if (!sff->good()) return stop(Failure::cannot_be_written, "the SFF file");
    SffWriter writer(*sff, static_cast<std::uint16_t>(last >= first ? last - first + 1 : 0), document->fine_flag(),
                     request.prefix);
    for (std::uint32_t page = first; page <= last; ++page) {
        const Outcome<MemoryBlock> bytes = read_page(*document, page);
        if (!bytes && bytes.failure() == Failure::empty) continue;
        if (!bytes) return stop(bytes.failed(), "page %u", page);
        writer.put_page(page, *bytes);
    }
    if (const Outcome<void> finished = writer.finish(); !finished) return stop(finished.failed(), "the SFF file");
    if (sff->commit()) earlier.keep();  // a refused replace is traced where it happens
    return 0;
}

}  // namespace korvif
