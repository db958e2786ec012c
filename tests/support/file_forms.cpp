#include "support/file_forms.h"

#include <memory>

#include "image/bitmap.h"

namespace korvif {

namespace {

struct CloseStream {
    void operator()(std::FILE* stream) const { std::fclose(stream); }
};

class StreamSink final : public ByteSink {
public:
    explicit StreamSink(std::FILE* stream) : stream_(stream) {}
    bool put(const std::uint8_t* bytes, std::size_t count) override {
        return std::fwrite(bytes, 1, count, stream_) == count;
    }

private:
    std::FILE* stream_;
};

}  // namespace

std::uint32_t encode_raster(PackedBitmap& bitmap, const char* path, EncodeFlags flags) {
    if (has(flags, ENCODE_SKIP_HEADER) && (!bitmap || bitmap.size() < two_colour_header_bytes)) return 0;
    const std::unique_ptr<std::FILE, CloseStream> stream(std::fopen(path, has(flags, ENCODE_APPEND) ? "ab" : "wb"));
    if (!stream) return 0;
    StreamSink sink(stream.get());
    const Outcome<std::uint32_t> written = encode_raster(bitmap, sink, flags);
    return written ? *written : 0;
}

}  // namespace korvif
