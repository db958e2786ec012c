// F2S: a range of pages of a fax document as the SFF file "~isdnfax.sff" in the directory that the
// host names.
#include <string>

#include "command/arguments.h"
#include "commands/commands.h"
#include "faxdoc/document.h"
#include "faxdoc/document_to_sff.h"
#include "platform/file.h"
#include "platform/replacement.h"
#include "platform/trace.h"

namespace korvif {

namespace {

// The prefix is used as it stands (it must end with a separator to name a directory). Composed
// paths must fit in 255 bytes with their terminator; a longer prefix is refused.
constexpr std::size_t longest_prefix = 242;

// Writes pages first to last into the SFF file and commits it; false, the reason traced, when no
// new file took the earlier one's place.
bool write_sff_file(platform::FileReplacement& sff, OpenedDocument& document, const std::string& prefix, std::uint32_t first,
                    std::uint32_t last) {
    if (!sff.good()) return trace::stop("the SFF file cannot be written"), false;
    SffWriter writer(sff, static_cast<std::uint16_t>(last >= first ? last - first + 1 : 0), document.fine_flag(), prefix);
    for (std::uint32_t page = first; page <= last; ++page) {
        const Outcome<MemoryBlock> bytes = read_page(document, page);
        if (!bytes && bytes.failure() == Failure::empty) continue;
        if (!bytes && bytes.failure() == Failure::no_memory) return trace::stop("page %u cannot be had", page), false;
        if (!bytes) return trace::stop("page %u cannot be read", page), false;
        writer.put_page(page, *bytes);
    }
    if (!writer.finish()) return trace::stop("the SFF file cannot be written"), false;
    return sff.commit();
}

}  // namespace

// F2S:number,first page,last page,document path,directory prefix
int run_document_to_sff(char* arguments) {
    const Fields fields = split_fields(arguments, "..:.$");
    if (!fields) return fields.stop();
    const char* document_path = fields[4];
    const std::string prefix = fields[5];
    if (prefix.size() > longest_prefix) return trace::stop("directory prefix of %zu characters refused (at most %zu)", prefix.size(), longest_prefix);
    const std::string sff_path = prefix + "~isdnfax.sff";
    if (*document_path == '\0') return trace::stop("the document path is empty");
    if (!platform::file_exists(document_path)) return trace::stop("the document was not found");

    auto document = open_document(document_path, platform::FileMode::read_shared);
    if (!document) return trace::stop("the document cannot be read");
    std::uint32_t first = static_cast<std::uint32_t>(read_number(fields[2]));
    if (first < 1) first = 1;
    std::uint32_t last = static_cast<std::uint32_t>(read_number(fields[3]));
    if (last > document->page_count()) last = document->page_count();
    // Numbers beyond 2^31 were given as negative ones, and are shown as such.
    trace::line("pages %d to %d of %s to %s", static_cast<std::int32_t>(first), static_cast<std::int32_t>(last), document_path,
                sff_path.c_str());

    // The SFF file is written in full before it replaces the one of an earlier run. The host
    // sends whatever file it finds: one that this request cannot write must not leave an earlier
    // request's fax behind for the new recipient, and a file that a sender holds is never
    // written in place under it.
    platform::FileReplacement sff(sff_path.c_str(), {.in_place = false});
    if (!write_sff_file(sff, *document, prefix, first, last)) sff.discard_earlier_target();
    return 0;
}

}  // namespace korvif
