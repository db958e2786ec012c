// A range of pages of a fax document as an SFF file.
#pragma once

#include <cstdint>
#include <string>

#include "faxdoc/document.h"
#include "platform/replacement.h"

namespace korvif {

// Writes the SFF file of pages first to last of `document` into `sff`, each page preceded by the
// lines of its header strip file "~ikvdNNN.kvd" under `prefix` when there is one. False, with the
// reason traced, when it cannot be written whole; `sff` must then not be committed.
bool write_sff_pages(platform::FileReplacement& sff, OpenedDocument& document, const std::string& prefix,
                     std::uint32_t first, std::uint32_t last);

}  // namespace korvif
