// The raster encoder writing straight to a file by path.
#pragma once

#include "codec/raster_encoder.h"

namespace korvif {

// Codes the bitmap as encode_raster does into the file at `path`: created anew, or with
// ENCODE_APPEND opened (created when missing) and written at its end. A block under 48 bytes
// with ENCODE_SKIP_HEADER opens no file; too few rows leave the file created anew and empty, or
// untouched when appending. Returns the bytes written.
std::uint32_t encode_raster(PackedBitmap& bitmap, const char* path, EncodeFlags flags);

}  // namespace korvif
