// A 1-bit BMP image as the rows of a fax page, for the raster encoder.
#pragma once

#include "codec/raster_rows.h"
#include "image/bitmap.h"

namespace korvif {

// The picture of a 1-bit bitmap read by its own header, as a fax raster bitmap: the 40-byte
// header, palette white then black, and rows of 1728 pixels (216 bytes), bottom row first, a set
// bit black. The rows begin after the info header (12, 40, 108, 124, ... bytes) and its two
// palette entries (3 bytes each after the 12-byte core header, 4 otherwise); a negative height
// means rows stored top-down; there are min(|height|, whole rows in the block) of them. Each row
// gives its first min(width, 1728) pixels, and the rest of the line is white. When palette
// entry 0 is darker than entry 1 (299 R + 587 G + 114 B), the pixels are inverted, so that black
// on paper stays black. Fails, with the cause traced, for another bit depth (not_one_bit), a
// width of 0 or less or a height of 0 (unusable_size), a raster larger than largest_bitmap_bytes
// (too_large), or with no_memory.
Outcome<PackedBitmap> fax_raster_from_bitmap(const PackedBitmap& source);

// Writes the header of a fax raster bitmap of `rows` rows over its first two_colour_header_bytes:
// the 40-byte header (1728 pixels wide, one plane, 1 bit) and the palette white then black.
void write_fax_raster_header(PackedBitmap& bitmap, std::uint32_t rows);

// The rows of a fax raster bitmap (the 40-byte header and two palette entries, then rows of 216
// bytes stored bottom-up) as the raster encoder reads them. Merged rows pair up from the bottom
// row, as the bitmap stores them: with an odd number of rows the top row is left out.
RasterRows fax_raster_rows(const PackedBitmap& raster, RowPairs pairs);

}  // namespace korvif
