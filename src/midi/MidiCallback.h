#pragma once

// The function the MIDI driver calls on its own thread, and the shared block
// it is given as instance data. The callback only stores input events and
// posts messages to the owning component's hidden window; all other work
// happens when the window receives them.
#include "midi/Circbuf.h"
#include "platform/HiddenWindow.h"
#include "platform/MidiApi.h"

#include <atomic>
#include <cstdint>

struct TMidiControlBlock {
    platform::HGLOBAL MemoryHandle;
    TEventBuffer *Buffer;                  // the input's event buffer; nullptr for an output
    platform::THiddenWindow *TargetWindow; // the component's hidden window
    // Set on the user-interface thread and read by the driver's while open.
    std::atomic<uint8_t> SysexOnly;
    // Which opening of the device the callback serves; set before the device
    // is opened. A notice that outlives its session carries an old number.
    uint32_t Session;
    // Raised by the driver's thread as it posts "events are waiting", or
    // "buffer full" for a lost short message, and lowered by the window as it
    // takes that notice. While one is on its way, later events need none of
    // their own: a flood of input then queues two notices, not one per event.
    std::atomic<uint8_t> NoticePending;
    std::atomic<uint8_t> LossPending;
    // MIDI thru ahead of the reader: where a short message goes out again as
    // it arrives (nullptr: nowhere), set on the user-interface thread; the
    // stored item is then marked EchoedMessage. Unechoed counts the events
    // stored without their echo that the reader has not yet handled: while
    // there are any, nothing goes out ahead of them.
    std::atomic<platform::HMIDIOUT> ThruDevice;
    std::atomic<uint32_t> Unechoed;
};

// Marks, in an item's packed message, a short message that went out again as
// it arrived; a short message's own bits never reach it.
constexpr uint32_t EchoedMessage = 1u << 24;

// Posted to the target window: events are waiting, an event was lost
// because the buffer was full, an output's long message is done.
//
// A lost event is followed by "events are waiting" all the same: the reader
// may have left the buffer full on purpose and must hear of new input to ever
// empty it. "Buffer full" carries the session in wParam and, for a lost
// system-exclusive block, its header in lParam, which the driver needs back.
//
// Neither notice is posted while one of its kind is still on its way (see
// NoticePending), except "buffer full" for a block, whose header must always
// come back. The window lowers the flag before it looks at the buffer, so
// nothing stored after that look goes unannounced.
constexpr uint32_t MsgEventsWaiting = platform::MIM_DATA;
constexpr uint32_t MsgBufferFull = platform::WM_USER;
constexpr uint32_t MsgLongMessageDone = platform::MOM_DONE;

// A zero-filled block in shared memory that knows its own handle; nullptr
// when memory runs out.
TMidiControlBlock *AllocControlBlock();
void FreeControlBlock(TMidiControlBlock *block);

void MidiCallback(void *device, uint32_t msg, uintptr_t instance, uintptr_t param1, uintptr_t param2);
