// The coders writing straight to files, for the tests and the benchmarks: the program itself
// writes only through replacements (platform/replacement.h).
#pragma once

#include <cstdio>

#include "codec/byte_sink.h"
#include "codec/raster_encoder.h"
#include "platform/files/file.h"

namespace korvif {

// How the path form of encode_raster writes its file.
enum class FileWrite { replace, append };

// Writes at the file's current position; refuses a failed or short write.
class FileSink final : public ByteSink {
public:
    explicit FileSink(platform::File& file) : file_(file) {}
    bool put(const std::uint8_t* bytes, std::size_t count) override {
        const Outcome<std::uint32_t> written = file_.write(bytes, static_cast<std::uint32_t>(count));
        return written && *written == count;
    }

private:
    platform::File& file_;
};

// Codes the rows as encode_raster does into the file at `path`: created anew, or when appending
// opened (created when missing) and written at its end. Rows that make no line leave the file
// created anew and empty, or untouched when appending. Returns the bytes written, 0 when
// encode_raster fails.
std::uint32_t encode_raster(const RasterRows& rows, const char* path, FileWrite how = FileWrite::replace);

}  // namespace korvif
