// A decoded fax page as a packed bitmap, the form in which F2D writes it as a BMP file.
#pragma once

#include "codec/decoded_page.h"
#include "image/bitmap.h"

namespace korvif {

// The page's rows as a 1-bit bitmap: the 40-byte header (width 1728, height the page's rows), the
// palette white then black, and the rows bottom-up, the page's first line the top row, each line
// in one row or two as the page says. Fails with no_memory when the bitmap cannot be had.
Outcome<PackedBitmap> page_bitmap(const DecodedPage& page);

}  // namespace korvif
