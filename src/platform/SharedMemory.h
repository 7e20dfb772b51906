#pragma once

// Memory that the MIDI driver's callback may touch: plain zeroed heap blocks
// reached through opaque handles, with the allocation calls the MIDI
// components are written against. Blocks never move, so a locked address
// stays valid until the block is freed.
#include <cstddef>
#include <cstdint>

namespace platform {

struct GlobalBlock;
using HGLOBAL = GlobalBlock *;

// Accepted for their meaning only: every block is fixed in place, zero-filled
// and visible to every thread of the process.
constexpr uint32_t GMEM_MOVEABLE = 0x0002;
constexpr uint32_t GMEM_ZEROINIT = 0x0040;
constexpr uint32_t GMEM_DDESHARE = 0x2000;

// A zero-filled block of the given size; nullptr when memory runs out.
HGLOBAL GlobalAlloc(uint32_t flags, std::size_t bytes);
// The block's address (the same on every call); nullptr for a nullptr handle.
void *GlobalLock(HGLOBAL block);
// True while the block is still locked by an earlier GlobalLock.
bool GlobalUnlock(HGLOBAL block);
// Frees the block whether or not it is locked; returns nullptr.
HGLOBAL GlobalFree(HGLOBAL block);

// Blocks allocated and not yet freed, so tests can see that every path
// gives its memory back.
std::size_t GlobalBlockCount();

} // namespace platform
