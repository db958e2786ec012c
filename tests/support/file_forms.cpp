#include "support/file_forms.h"

#include <memory>

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

std::uint32_t encode_raster(const RasterRows& rows, const char* path, FileWrite how) {
    const std::unique_ptr<std::FILE, CloseStream> stream(std::fopen(path, how == FileWrite::append ? "ab" : "wb"));
    if (!stream) return 0;
    StreamSink sink(stream.get());
    const Outcome<std::uint32_t> written = encode_raster(rows, sink);
    return written ? *written : 0;
}

}  // namespace korvif
