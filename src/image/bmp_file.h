// Windows BMP files: a 14-byte file header followed by the packed bitmap's block as it is.
#pragma once

#include "image/bitmap.h"

namespace korvif {

inline constexpr std::uint32_t bmp_file_header_bytes = 14;

// Reads a BMP file into a new packed bitmap of the size that its file header declares. A file
// shorter than it declares leaves the rest of the block zero. Fails, with the cause traced, when
// the file does not open or is not a BMP file (cannot_be_read), is shorter than its file header
// or declares 14 bytes or fewer (too_short), declares more than largest_bitmap_bytes
// (too_large), has an info header size below 12 or of 13 to 15 (unusable_size), or with
// no_memory.
Outcome<PackedBitmap> load_bmp(const char* path);

// Writes the bitmap's whole block behind a file header, replacing the file only once it is
// complete. Fails with cannot_be_written when the file could not be written in full (an existing
// file is then as it was).
Outcome<void> save_bmp(const PackedBitmap& bitmap, const char* path);

}  // namespace korvif
