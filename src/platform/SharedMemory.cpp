#include "platform/SharedMemory.h"

#include <atomic>
#include <memory>
#include <new>

namespace platform {

struct GlobalBlock {
    std::unique_ptr<std::byte[]> bytes;
    std::atomic<int> locks{0};
};

namespace {
std::atomic<std::size_t> liveBlocks{0};
} // namespace

HGLOBAL GlobalAlloc(uint32_t /*flags*/, std::size_t bytes)
{
    try {
        auto block = std::make_unique<GlobalBlock>();
        // An empty block still gets an address of its own, so a lock never
        // fails for a block that exists.
        block->bytes = std::make_unique<std::byte[]>(bytes == 0 ? 1 : bytes);
        ++liveBlocks;
        return block.release();
    } catch (const std::bad_alloc &) {
        return nullptr;
    }
}

void *GlobalLock(HGLOBAL block)
{
    if (!block)
        return nullptr;
    ++block->locks;
    return block->bytes.get();
}

bool GlobalUnlock(HGLOBAL block)
{
    if (!block)
        return false;
    int locks = block->locks.load();
    while (locks > 0 && !block->locks.compare_exchange_weak(locks, locks - 1)) {
    }
    return locks > 1;
}

HGLOBAL GlobalFree(HGLOBAL block)
{
    if (block) {
        delete block;
        --liveBlocks;
    }
    return nullptr;
}

std::size_t GlobalBlockCount()
{
    return liveBlocks.load();
}

} // namespace platform
