#include "platform/memory/memory_block.h"

#include <cstring>

#ifdef KORVIF_FAILING_ALLOCATIONS
#include "platform/memory/allocation_failures.h"
#endif

namespace korvif {

namespace {

#ifdef KORVIF_FAILING_ALLOCATIONS
int allocations_until_failure = 0;  // the chosen allocation's number, counted down; 0: none
bool failure_reached = false;

bool allocation_refused() {
    if (allocations_until_failure == 0 || --allocations_until_failure != 0) return false;
    failure_reached = true;
    return true;
}
#else
constexpr bool allocation_refused() { return false; }
#endif

}  // namespace

#ifdef KORVIF_FAILING_ALLOCATIONS
void allocation_failures::fail_at(int n) {
    allocations_until_failure = n;
    failure_reached = false;
}

bool allocation_failures::reached() { return failure_reached; }
#endif

Outcome<MemoryBlock> MemoryBlock::allocate(std::size_t size) {
    MemoryBlock block;
    if (size > max_size || allocation_refused()) return Failure::no_memory;
    // At least one byte, so that an empty block is still a block (a bitmap of height 0).
    auto* bytes = static_cast<std::uint8_t*>(std::calloc(size == 0 ? 1 : size, 1));
    if (bytes == nullptr) return Failure::no_memory;
    block.bytes_.reset(bytes);
    block.size_ = size;
    return block;
}

Outcome<MemoryBlock> MemoryBlock::allocate_for_overwrite(std::size_t size) {
    MemoryBlock block;
    if (size > max_size || allocation_refused()) return Failure::no_memory;
    auto* bytes = static_cast<std::uint8_t*>(std::malloc(size == 0 ? 1 : size));
    if (bytes == nullptr) return Failure::no_memory;
    block.bytes_.reset(bytes);
    block.size_ = size;
    return block;
}

Outcome<void> MemoryBlock::resize(std::size_t new_size) {
    if (!bytes_ || new_size > max_size || allocation_refused()) return Failure::no_memory;
    auto* bytes = static_cast<std::uint8_t*>(std::realloc(bytes_.get(), new_size == 0 ? 1 : new_size));
    if (bytes == nullptr) return Failure::no_memory;
    bytes_.release();
    bytes_.reset(bytes);
    if (new_size > size_) std::memset(bytes + size_, 0, new_size - size_);
    size_ = new_size;
    return {};
}

}  // namespace korvif
