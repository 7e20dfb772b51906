#include "midi/Miditype.h"

#include "midi/Circbuf.h"

#include <new>

using namespace platform;

TMyMidiHdr::TMyMidiHdr(uint16_t size)
{
    if (size == 0)
        return;
    void *header = AllocSharedMemory(sizeof(MIDIHDR), HeaderMemory);
    Data = static_cast<char *>(AllocSharedMemory(size, DataMemory));
    if (!header || !Data) {
        Release();
        throw std::bad_alloc();
    }
    Header = new (header) MIDIHDR{};
    Header->lpData = Data;
    Header->dwBufferLength = size;
}

TMyMidiHdr::~TMyMidiHdr()
{
    Release();
}

void TMyMidiHdr::Release()
{
    FreeSharedMemory(HeaderMemory);
    FreeSharedMemory(DataMemory);
    HeaderMemory = DataMemory = nullptr;
    Header = nullptr;
    Data = nullptr;
}
