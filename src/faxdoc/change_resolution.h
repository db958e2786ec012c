// A fax document turned from normal to fine resolution or back.
#pragma once

#include <cstdint>

#include "faxdoc/document.h"
#include "faxdoc/file_sinks.h"
#include "platform/files/file.h"
#include "platform/outcome.h"
#include "platform/replace/replacement.h"

namespace korvif {

// Copies the source document into `copy` in blocks of 64 KiB, reading it as every document is
// read (retried while another program holds it). Fails unless every byte was copied: with
// cannot_be_read when the source does not open or cannot be read, too_large for a source of
// 2 GiB or more, cannot_be_written when the copy refuses bytes.
Outcome<void> copy_document(const char* source, platform::File& copy);

// Writes `source` in the other resolution into `output`, a page at a time: the header with the
// fine flag turned goes first (the source's page table still in it) and holds the place of the
// final header, which has the page table rebuilt for the pages as they were coded.
class ResolutionChange {
public:
    ResolutionChange(OpenedDocument& source, platform::FileReplacement& output);

    // Page n decoded and coded again at the new resolution, its bytes traced. A page that is
    // empty, whose range lies outside the file or that decodes to no bitmap stays empty. Fails
    // with cannot_be_read when its bytes cannot be read, no_memory when its bytes or its lines
    // cannot all be had for want of memory, and cannot_be_written when the output refuses them;
    // the document then cannot be completed.
    Outcome<void> add_page(std::uint32_t n);

    // The final header over the first. Fails with cannot_be_written.
    Outcome<void> finish();

private:
    OpenedDocument& source_;
    platform::FileReplacement& output_;
    BufferedReplacementSink sink_;
    DocumentHeader rebuilt_;
};

}  // namespace korvif
