// One owned block of bytes whose exact size is part of what it holds (a packed bitmap is
// written and read by its block size). New blocks and the part that a resize adds are zero.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>

#include "platform/files/file.h"
#include "platform/outcome.h"

namespace korvif {

class MemoryBlock {
public:
    // The largest block handed out: just under the size limit of files.
    static constexpr std::size_t max_size = platform::size_limit - 1;

    MemoryBlock() = default;

    // A zeroed block of exactly `size` bytes; no_memory when it cannot be had (or `size` passes
    // max_size).
    static Outcome<MemoryBlock> allocate(std::size_t size);

    // A block whose bytes are not set: only for a caller that writes every byte before any is
    // read (a decoded page, built row by row). Fails as allocate does.
    static Outcome<MemoryBlock> allocate_for_overwrite(std::size_t size);

    // False for a block that holds nothing: made by the default constructor or moved from.
    explicit operator bool() const { return bytes_ != nullptr; }
    std::uint8_t* data() { return bytes_.get(); }
    const std::uint8_t* data() const { return bytes_.get(); }
    std::size_t size() const { return size_; }

    // Changes the size in place, keeping the block's identity; the bytes that stay keep their
    // values and new bytes are zero. On failure (no_memory) nothing changes.
    Outcome<void> resize(std::size_t new_size);

private:
    struct Release {
        void operator()(std::uint8_t* bytes) const { std::free(bytes); }
    };
    std::unique_ptr<std::uint8_t, Release> bytes_;
    std::size_t size_ = 0;
};

}  // namespace korvif
