// A range of pages of a fax document as an SFF file.
#pragma once

#include <cstdint>
#include <string>

#include "faxdoc/file_sinks.h"
#include "platform/memory/memory_block.h"
#include "platform/outcome.h"
#include "platform/replace/replacement.h"

namespace korvif {

// Writes an SFF file into a file's replacement as F2S makes it: the document header, then for
// each page its page header record, the lines of its header strip file and its own lines, then
// the end-of-document record. Writes go through a buffer; a refused write is found by `finish`.
class SffWriter {
public:
    // Puts the document header for `page_count` pages, each page's header to carry the fine
    // flag. Header strip files are looked for under `strip_prefix`.
    SffWriter(platform::FileReplacement& sff, std::uint16_t page_count, std::uint8_t fine_flag,
              std::string strip_prefix);

    // Page n: its page header record, the lines of its header strip file "~ikvdNNN.kvd" (NNN the
    // page number in at least three digits) when there is one that can be read, and the lines of
    // its MH data `bytes`.
    void put_page(std::uint32_t n, const MemoryBlock& bytes);

    // Puts the end-of-document record and writes what is held. Fails with cannot_be_written when
    // the file could not be written whole; it must then not be committed.
    Outcome<void> finish();

private:
    BufferedReplacementSink sink_;
    std::uint8_t fine_flag_;
    std::string strip_prefix_;
};

}  // namespace korvif
