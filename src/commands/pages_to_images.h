// What F2P and F2T share: a range of a document's pages as one image file.
#pragma once

#include <cstdint>
#include <memory>

#include "codec/byte_sink.h"
#include "faxdoc/image_pages.h"

namespace korvif {

struct PagesToImages {
    std::int32_t first;  // as given; pages are counted from 1
    std::int32_t last;   // as given; pages beyond the document's are left out
    const char* document;
    const char* output;
};

using MakeImagePagesWriter = std::unique_ptr<ImagePagesWriter> (*)(ByteSink& out);

// Splits the fields "first page,last page,document,output" ("*" stands for the document's
// directory) and writes the pages through the writer that `make_writer` makes; returns the
// command's result.
int run_pages_to_images(char* arguments, MakeImagePagesWriter make_writer);

}  // namespace korvif
