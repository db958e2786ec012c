// The coders' byte sinks over files.
#pragma once

#include "codec/byte_sink.h"
#include "platform/files/file.h"
#include "platform/replace/replacement.h"

namespace korvif {

// Writes into a file's replacement; after a refusal the replacement cannot be committed.
class ReplacementSink final : public ByteSink {
public:
    explicit ReplacementSink(platform::FileReplacement& replacement) : replacement_(replacement) {}
    bool put(const std::uint8_t* bytes, std::size_t count) override {
        return static_cast<bool>(replacement_.write(bytes, static_cast<std::uint32_t>(count)));
    }

private:
    platform::FileReplacement& replacement_;
};

// Writes into a file's replacement through a 64 KiB buffer, so that no short record goes to the
// system on its own. The owner ends with `finish`, or with `finish_with_start`, which then
// writes the given bytes over the file's first bytes (a header completed last). Both fail with
// cannot_be_written when a write was refused, now or before.
class BufferedReplacementSink final : public ByteSink {
public:
    explicit BufferedReplacementSink(platform::FileReplacement& replacement)
        : replacement_(replacement), file_(replacement), buffer_(file_) {}
    bool put(const std::uint8_t* bytes, std::size_t count) override { return buffer_.put(bytes, count); }
    Outcome<void> finish() {
        if (!buffer_.flush()) return Failure::cannot_be_written;
        return {};
    }
    Outcome<void> finish_with_start(const void* bytes, std::uint32_t count) {
        if (const Outcome<void> finished = finish(); !finished) return finished;
        if (const Outcome<void> at_start = replacement_.seek(0); !at_start) return at_start;
        return replacement_.write(bytes, count);
    }

private:
    platform::FileReplacement& replacement_;
    ReplacementSink file_;
    BufferedSink buffer_;
};

}  // namespace korvif
