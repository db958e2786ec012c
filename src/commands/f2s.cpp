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

// Writes the SFF file of the request; false, with the reason traced, when no new one was written.
bool write_sff_file(const char* document_path, const Fields& fields, const std::string& prefix, const std::string& sff_path) {
    if (*document_path == '\0') return trace::stop("the document path is empty"), false;
    if (!platform::file_exists(document_path)) return trace::stop("the document was not found"), false;
    auto document = open_document(document_path, platform::FileMode::read_shared);
    if (!document) return trace::stop("the document cannot be read"), false;
    std::uint32_t first = static_cast<std::uint32_t>(read_number(fields[2]));
    if (first < 1) first = 1;
    std::uint32_t last = static_cast<std::uint32_t>(read_number(fields[3]));
    if (last > document->page_count()) last = document->page_count();
    // Numbers beyond 2^31 were given as negative ones, and are shown as such.
    trace::line("pages %d to %d of %s to %s", static_cast<std::int32_t>(first), static_cast<std::int32_t>(last), document_path,
                sff_path.c_str());
    // Written in full before it replaces the file of an earlier request, and never in place under
    // a sender's handle.
    platform::FileReplacement sff(sff_path.c_str(), {.in_place = false});
    return write_sff_pages(sff, *document, prefix, first, last) && sff.commit();
}

}  // namespace

// F2S:number,first page,last page,document path,directory prefix
int run_document_to_sff(char* arguments) {
    const Fields fields = split_fields(arguments, "..:.$");
    if (!fields) return fields.stop();
    const std::string prefix = fields[5];
    if (prefix.size() > longest_prefix) return trace::stop("directory prefix of %zu characters refused (at most %zu)", prefix.size(), longest_prefix);
    const std::string sff_path = prefix + "~isdnfax.sff";
    // The host sends whatever ~isdnfax.sff it finds: from here on, a request that writes no new
    // one removes the earlier request's, which must not go to this request's recipient.
    const platform::EarlierOutput earlier(sff_path.c_str());
    if (!earlier) return trace::stop("the SFF file cannot be written");
    if (!write_sff_file(fields[4], fields, prefix, sff_path)) earlier.discard();
    return 0;
}

}  // namespace korvif
