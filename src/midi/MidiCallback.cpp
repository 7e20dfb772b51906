#include "midi/MidiCallback.h"

#include <new>
#include <type_traits>

using namespace platform;

static_assert(std::is_trivially_destructible_v<TMidiControlBlock>, "the block is released with its memory");

namespace {

constexpr uintptr_t ActiveSensing = 0xFE;
constexpr uintptr_t TimingClock = 0xF8;

// A lost block's header must go back to the driver, so each is reported; lost
// short messages share one report while it is on its way.
void ReportLoss(TMidiControlBlock *block, MIDIHDR *sysexHeader)
{
    if (sysexHeader || block->LossPending.exchange(1, std::memory_order_acq_rel) == 0)
        PostMessageA(block->TargetWindow, MsgBufferFull, block->Session, reinterpret_cast<uintptr_t>(sysexHeader));
}

// Seeing no event without its echo means the reader has sent every such
// echo: it lowers the count only once it has. An event the full buffer
// will lose is not echoed, as the reader never sees it.
bool EchoAtOnce(TMidiControlBlock *block, uint32_t message)
{
    const HMIDIOUT thru = block->ThruDevice.load(std::memory_order_acquire);
    return thru && block->Unechoed.load(std::memory_order_acquire) == 0 &&
           block->Buffer->EventCount.load(std::memory_order_acquire) < block->Buffer->Capacity &&
           midiOutShortMsg(thru, message) == MMSYSERR_NOERROR;
}

void StoreInputEvent(TMidiControlBlock *block, uint32_t msg, uintptr_t param1, uintptr_t param2)
{
    // Only the single-byte real-time messages match: the whole value is compared.
    if (param1 == ActiveSensing || param1 == TimingClock)
        return;
    if (msg == MIM_DATA && block && block->SysexOnly.load(std::memory_order_relaxed) != 0)
        return;
    if (!block || !block->Buffer)
        return;
    TEventBufferItem item{};
    item.TimeStamp = static_cast<uint32_t>(param2);
    if (msg == MIM_DATA)
        item.PackedMessage =
            static_cast<uint32_t>(param1) | (EchoAtOnce(block, static_cast<uint32_t>(param1)) ? EchoedMessage : 0);
    else
        item.SysexHeader = reinterpret_cast<MIDIHDR *>(param1);
    // Counted before it can be read, so that no later event overtakes it.
    const bool unechoed = (item.PackedMessage & EchoedMessage) == 0;
    if (unechoed)
        block->Unechoed.fetch_add(1, std::memory_order_relaxed);
    if (!PutEvent(block->Buffer, item)) {
        if (unechoed)
            block->Unechoed.fetch_sub(1, std::memory_order_relaxed);
        ReportLoss(block, item.SysexHeader);
    }
    if (block->NoticePending.exchange(1, std::memory_order_acq_rel) == 0)
        PostMessageA(block->TargetWindow, MsgEventsWaiting, 0, 0);
}

} // namespace

TMidiControlBlock *AllocControlBlock()
{
    HGLOBAL handle = nullptr;
    void *memory = AllocSharedMemory(sizeof(TMidiControlBlock), handle);
    if (!memory)
        return nullptr;
    auto *block = new (memory) TMidiControlBlock{};
    block->MemoryHandle = handle;
    return block;
}

void FreeControlBlock(TMidiControlBlock *block)
{
    if (block)
        FreeSharedMemory(block->MemoryHandle);
}

void MidiCallback(void * /*device*/, uint32_t msg, uintptr_t instance, uintptr_t param1, uintptr_t param2)
{
    auto *block = reinterpret_cast<TMidiControlBlock *>(instance);
    switch (msg) {
    case MIM_DATA:
    case MIM_LONGDATA:
    case MIM_LONGERROR:
        StoreInputEvent(block, msg, param1, param2);
        break;
    case MOM_DONE:
        if (block)
            PostMessageA(block->TargetWindow, MsgLongMessageDone, 0, param1);
        break;
    default:
        break;
    }
}
