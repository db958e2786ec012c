// A fax document turned from normal to fine resolution or back.
#pragma once

#include "faxdoc/document.h"
#include "platform/file.h"
#include "platform/replacement.h"

namespace korvif {

// Copies the source document into `copy` in blocks of 64 KiB, reading it as every document is
// read (retried while another program holds it). False unless every byte was copied.
bool copy_document(const char* source, platform::File& copy);

// Writes `source` in the other resolution into `output`: the header with the fine flag turned,
// every page decoded and coded again, and the page table rebuilt. False when the document could
// not be completed (a page that cannot be read, a write that failed); `output` must then not be
// committed.
bool write_changed_document(OpenedDocument& source, platform::FileReplacement& output);

}  // namespace korvif
