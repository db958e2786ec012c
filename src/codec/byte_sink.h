// Where the coders put the bytes they make: a file, a work file, or memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

namespace korvif {

class ByteSink {
public:
    // Takes all `count` bytes, or returns false; a coder stops at the first refusal.
    virtual bool put(const std::uint8_t* bytes, std::size_t count) = 0;

protected:
    ~ByteSink() = default;
};

// Collects the bytes in memory.
class MemorySink final : public ByteSink {
public:
    bool put(const std::uint8_t* bytes, std::size_t count) override {
        data.insert(data.end(), bytes, bytes + count);
        return true;
    }
    std::vector<std::uint8_t> data;
};

// Gathers puts into one buffer for the sink behind it, so that short records do not reach a file
// one by one; a put at least as large as the buffer passes straight through. What is held goes
// on by `flush`, which the owner calls when done: the destructor drops it. After a refusal
// nothing more is put.
class BufferedSink final : public ByteSink {
public:
    explicit BufferedSink(ByteSink& out, std::size_t capacity = 64 * 1024)
        : out_(out), buffer_(std::make_unique_for_overwrite<std::uint8_t[]>(capacity)), capacity_(capacity) {}

    bool put(const std::uint8_t* bytes, std::size_t count) override {
        if (refused_ || (used_ + count > capacity_ && !flush())) return false;
        if (count >= capacity_) {
            refused_ = !out_.put(bytes, count);
        } else {
            std::memcpy(buffer_.get() + used_, bytes, count);
            used_ += count;
        }
        return !refused_;
    }

    bool flush() {
        if (used_ != 0 && !refused_) refused_ = !out_.put(buffer_.get(), used_);
        used_ = 0;
        return !refused_;
    }

private:
    ByteSink& out_;
    std::unique_ptr<std::uint8_t[]> buffer_;
    std::size_t capacity_;
    std::size_t used_ = 0;
    bool refused_ = false;
};

}  // namespace korvif
