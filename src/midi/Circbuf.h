#pragma once

// The circular event buffer through which input events travel from the MIDI
// driver's thread to the user-interface thread, and the shared memory it
// lives in. One thread puts, one thread peeks and drops; no lock is taken.
#include "platform/MidiApi.h"
#include "platform/SharedMemory.h"

#include <atomic>
#include <cstdint>

// A zero-filled, locked block of at most 65535 bytes; nullptr on failure.
void *AllocSharedMemory(uint16_t size, platform::HGLOBAL &handle);
void FreeSharedMemory(platform::HGLOBAL handle);

struct TEventBufferItem {
    uint32_t TimeStamp;             // driver time in milliseconds since input was started
    uint32_t PackedMessage;         // 0 for a system-exclusive item
    platform::MIDIHDR *SysexHeader; // the driver's header of a system-exclusive item; nullptr otherwise
};

struct TEventBuffer {
    platform::HGLOBAL MemoryHandle;
    platform::HGLOBAL ItemsHandle;
    TEventBufferItem *FirstItem;
    TEventBufferItem *EndItem;
    TEventBufferItem *NextPut; // moved by the producer only
    TEventBufferItem *NextGet; // moved by the consumer only
    uint16_t Capacity;
    // Changed by both threads. The producer raises it only after the item is
    // written and the consumer lowers it only after the item is read, each
    // with release; each side reads it with acquire before touching a slot.
    std::atomic<uint16_t> EventCount;
    // Items refused because the buffer was full: raised by the producer only.
    std::atomic<uint32_t> LostCount;
};

// The item block is a single shared block, whose size is a 16-bit count.
constexpr uint16_t MaxEventBufferCapacity = 0xFFFF / sizeof(TEventBufferItem);

// nullptr when memory runs out or the capacity exceeds MaxEventBufferCapacity.
TEventBuffer *CreateEventBuffer(uint16_t capacity);
void FreeEventBuffer(TEventBuffer *buffer);

// Driver thread. False when the buffer is full: the item is lost and counted.
bool PutEvent(TEventBuffer *buffer, const TEventBufferItem &item);
// User-interface thread. The oldest waiting item, left in place.
bool PeekEvent(TEventBuffer *buffer, TEventBufferItem &item);
// User-interface thread. Removes the oldest waiting item.
bool DropEvent(TEventBuffer *buffer);
