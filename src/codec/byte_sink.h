// Where the coders put the bytes they make: a file, a work file, or memory.
#pragma once

#include <cstddef>
#include <cstdint>
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

}  // namespace korvif
