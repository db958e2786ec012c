#pragma once

namespace korvif {

// Turns an SFF file into a fax document: each line record behind a byte-aligned EOL, blank-line
// records as coded white lines, an RTC after each page, and the page table filled in.
// Returns false when no document was written.
bool convert_sff_to_document(const char* sff_path, const char* document_path);

}  // namespace korvif
