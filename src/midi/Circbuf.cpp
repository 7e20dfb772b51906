#include "midi/Circbuf.h"

#include <new>
#include <type_traits>

using namespace platform;

static_assert(std::atomic<uint16_t>::is_always_lock_free && std::atomic<uint32_t>::is_always_lock_free,
              "the driver thread may take no lock");
static_assert(std::is_trivially_destructible_v<TEventBuffer>, "the record is released with its block");

namespace {
constexpr uint32_t SharedBlockFlags = GMEM_DDESHARE | GMEM_ZEROINIT | GMEM_MOVEABLE;

TEventBufferItem *Advance(const TEventBuffer *buffer, TEventBufferItem *slot)
{
    ++slot;
    return slot == buffer->EndItem ? buffer->FirstItem : slot;
}
} // namespace

void *AllocSharedMemory(uint16_t size, HGLOBAL &handle)
{
    handle = GlobalAlloc(SharedBlockFlags, size);
    if (!handle)
        return nullptr;
    void *address = GlobalLock(handle);
    if (!address) {
        GlobalFree(handle);
        handle = nullptr;
    }
    return address;
}

void FreeSharedMemory(HGLOBAL handle)
{
    if (!handle)
        return;
    GlobalUnlock(handle);
    GlobalFree(handle);
}

TEventBuffer *CreateEventBuffer(uint16_t capacity)
{
    if (capacity > MaxEventBufferCapacity)
        return nullptr;
    HGLOBAL recordHandle = nullptr;
    void *record = AllocSharedMemory(sizeof(TEventBuffer), recordHandle);
    if (!record)
        return nullptr;
    auto *buffer = new (record) TEventBuffer{};
    buffer->MemoryHandle = recordHandle;
    auto *items = static_cast<TEventBufferItem *>(
        AllocSharedMemory(static_cast<uint16_t>(capacity * sizeof(TEventBufferItem)), buffer->ItemsHandle));
    if (!items) {
        FreeSharedMemory(recordHandle);
        return nullptr;
    }
    buffer->FirstItem = buffer->NextPut = buffer->NextGet = items;
    buffer->EndItem = items + capacity;
    buffer->Capacity = capacity;
    buffer->EventCount.store(0);
    buffer->LostCount.store(0);
    return buffer;
}

void FreeEventBuffer(TEventBuffer *buffer)
{
    if (!buffer)
        return;
    FreeSharedMemory(buffer->ItemsHandle);
    FreeSharedMemory(buffer->MemoryHandle);
}

bool PutEvent(TEventBuffer *buffer, const TEventBufferItem &item)
{
    if (buffer->EventCount.load(std::memory_order_acquire) >= buffer->Capacity) {
        buffer->LostCount.fetch_add(1, std::memory_order_relaxed);
        return false;
    }
    *buffer->NextPut = item;
    buffer->NextPut = Advance(buffer, buffer->NextPut);
    buffer->EventCount.fetch_add(1, std::memory_order_release);
    return true;
}

bool PeekEvent(TEventBuffer *buffer, TEventBufferItem &item)
{
    if (buffer->EventCount.load(std::memory_order_acquire) == 0)
        return false;
    item = *buffer->NextGet;
    return true;
}

bool DropEvent(TEventBuffer *buffer)
{
    if (buffer->EventCount.load(std::memory_order_acquire) == 0)
        return false;
    buffer->NextGet = Advance(buffer, buffer->NextGet);
    buffer->EventCount.fetch_sub(1, std::memory_order_release);
    return true;
}
