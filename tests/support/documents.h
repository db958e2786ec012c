// Fax documents for the tests.
#pragma once

#include "support/files.h"

namespace korvif::test {

// A fax document holding the pages' MH data one after the other, with the page table filled in
// (and the entry after the last page set to the end of the file when `end_entry` is true).
Bytes make_document(const std::vector<Bytes>& pages, std::uint8_t fine_flag, bool end_entry = false);

// The bytes of page n (1-based) of a document, by its page table.
Bytes page_bytes(const Bytes& document, int n);

}  // namespace korvif::test
