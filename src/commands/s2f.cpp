// S2F: an SFF file to a fax document.
#include "command/arguments.h"
#include "commands/commands.h"
#include "faxdoc/sff_to_document.h"
#include "platform/trace.h"

namespace korvif {

// S2F:number,source SFF path,document path
int run_sff_to_document(char* arguments) {
    char* comma = next_comma_after_first(arguments);
    if (comma == nullptr) return trace::stop("the second field is missing");
    char* source = comma + 1;
    char* second = next_comma_after_first(source);
    if (second == nullptr) return trace::stop("the third field is missing");
    char* target = cut_at(second);
    trace::line("SFF file %s, document %s", source, target);
    convert_sff_to_document(source, target);
    return 0;
}

}  // namespace korvif
