#pragma once

#include "faxdoc/document.h"
#include "platform/replacement.h"

namespace korvif {

// Writes `source` in the other resolution into `output`: the header with the fine flag turned,
// every page decoded and coded again, and the page table rebuilt. False when the document could
// not be completed (a page that cannot be read, a write that failed); `output` must then not be
// committed.
bool write_changed_document(OpenedDocument& source, platform::FileReplacement& output);

}  // namespace korvif
