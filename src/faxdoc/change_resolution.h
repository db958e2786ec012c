#pragma once

#include "faxdoc/document.h"

namespace korvif {

// Writes `source` in the other resolution into the file `work`: the header with the fine flag
// turned, every page decoded and coded again, and the page table rebuilt. False when the
// document could not be completed (the work file is then incomplete); `work_created` tells
// whether the work file was made.
bool write_changed_document(OpenedDocument& source, const char* work, bool& work_created);

}  // namespace korvif
