#pragma once

// The decoder of skin packages: LZSS over a 4096-byte ring with adaptive
// Huffman codes for literals and match lengths.
#include "platform/Exception.h"

#include <cstdint>
#include <functional>

namespace skin {

class ElzhException : public platform::Exception {
public:
    using platform::Exception::Exception;
};

class TLZH {
public:
    // Reads up to Requested bytes into Buffer and says how many it gave.
    using TGetBytes = std::function<void(uint8_t *Buffer, int Requested, int &Delivered)>;
    // Writes Count bytes and says how many it took.
    using TPutBytes = std::function<void(const uint8_t *Buffer, int Count, int &Written)>;

    // Decodes until exactly Length bytes have been handed to PutBytes, in
    // order and in blocks. Input that runs out reads as zero bytes, so the
    // caller must bound Length.
    void Unpack(int64_t Length, const TPutBytes &PutBytes, const TGetBytes &GetBytes);

    // The most bytes a stream of the given size can decode to: a 60-byte
    // match costs at least ten bits, and a stream may end inside one.
    static int64_t MaxUnpackedLength(int64_t compressedBytes) { return compressedBytes * 48 + 60; }
};

} // namespace skin
