// Windows BMP files: a 14-byte file header followed by the packed bitmap's block as it is.
#pragma once

#include "image/bitmap.h"

namespace korvif {

inline constexpr std::uint32_t bmp_file_header_bytes = 14;

// Reads a BMP file into a new packed bitmap of the size that its file header declares. A file
// shorter than it declares leaves the rest of the block zero. Null when the file cannot be read,
// is not a BMP file, declares 14 bytes or fewer or more than largest_bitmap_bytes, or has an info header size below 12 or 13 to 15.
PackedBitmap load_bmp(const char* path);

// Writes the bitmap's whole block behind a file header, replacing the file only once it is
// complete. False when there is no bitmap or the file could not be written in full (an existing
// file is then as it was).
bool save_bmp(const PackedBitmap& bitmap, const char* path);

}  // namespace korvif
