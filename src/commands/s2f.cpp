// S2F: an SFF file to a fax document.
#include "command/arguments.h"
#include "commands/commands.h"
#include "faxdoc/sff_to_document.h"
#include "platform/trace.h"

namespace korvif {

// S2F:number,source SFF path,document path
int run_sff_to_document(char* arguments) {
    const Fields fields = split_fields(arguments, "::$");
    if (!fields) return fields.stop();
    const char* source = fields[2];
    const char* target = fields[3];
    trace::line("SFF file %s, document %s", source, target);
    convert_sff_to_document(source, target);
    return 0;
}

}  // namespace korvif
