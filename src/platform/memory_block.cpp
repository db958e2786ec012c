#include "platform/memory_block.h"

#include <cstring>

namespace korvif {

Outcome<MemoryBlock> MemoryBlock::allocate(std::size_t size) {
    MemoryBlock block;
    if (size > max_size) return Failure::no_memory;
    // At least one byte, so that an empty block is still a block (a bitmap of height 0).
    auto* bytes = static_cast<std::uint8_t*>(std::calloc(size == 0 ? 1 : size, 1));
    if (bytes == nullptr) return Failure::no_memory;
    block.bytes_.reset(bytes);
    block.size_ = size;
    return block;
}

Outcome<MemoryBlock> MemoryBlock::allocate_for_overwrite(std::size_t size) {
    MemoryBlock block;
    if (size > max_size) return Failure::no_memory;
    auto* bytes = static_cast<std::uint8_t*>(std::malloc(size == 0 ? 1 : size));
    if (bytes == nullptr) return Failure::no_memory;
    block.bytes_.reset(bytes);
    block.size_ = size;
    return block;
}

Outcome<void> MemoryBlock::resize(std::size_t new_size) {
    if (!bytes_ || new_size > max_size) return Failure::no_memory;
    auto* bytes = static_cast<std::uint8_t*>(std::realloc(bytes_.get(), new_size == 0 ? 1 : new_size));
    if (bytes == nullptr) return Failure::no_memory;
    bytes_.release();
    bytes_.reset(bytes);
    if (new_size > size_) std::memset(bytes + size_, 0, new_size - size_);
    size_ = new_size;
    return {};
}

}  // namespace korvif
