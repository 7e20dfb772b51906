#include "skin/Lzh.h"

#include "skin/LzhTree.h"

#include <memory>
#include <new>
#include <vector>

namespace skin {

namespace {

using namespace lzh;

// The input side: a 16-bit buffer refilled a byte at a time, most
// significant bit first.
class BitReader {
public:
    explicit BitReader(const TLZH::TGetBytes &get) : get_(get) {}

    int Bit()
    {
        Refill();
        const int bit = (buffer_ >> 15) & 1;
        buffer_ = uint16_t(buffer_ << 1);
        --count_;
        return bit;
    }

    int Byte()
    {
        Refill();
        const int byte = buffer_ >> 8;
        buffer_ = uint16_t(buffer_ << 8);
        count_ -= 8;
        return byte;
    }

private:
    void Refill()
    {
        while (count_ <= 8) {
            uint8_t next = 0;
            int delivered = 0;
            get_(&next, 1, delivered);
            if (delivered != 1)
                next = 0; // past the end of the input
            buffer_ = uint16_t(buffer_ | (next << (8 - count_)));
            count_ += 8;
        }
    }

    const TLZH::TGetBytes &get_;
    uint16_t buffer_ = 0;
    int count_ = 0;
};

struct Tables {
    HuffmanTree tree;
    std::vector<uint8_t> ring = std::vector<uint8_t>(RingSize + LookAhead - 1, ' ');
};

} // namespace

void TLZH::Unpack(int64_t Length, const TPutBytes &PutBytes, const TGetBytes &GetBytes)
{
    if (Length < 0)
        throw ElzhException(QStringLiteral("LZH : Negative length of data to decode"));
    std::unique_ptr<Tables> tables;
    try {
        tables = std::make_unique<Tables>();
    } catch (const std::bad_alloc &) {
        throw ElzhException(QStringLiteral("LZH : Cannot get memory for dictionary tables"));
    }
    HuffmanTree &tree = tables->tree;
    uint8_t *ring = tables->ring.data();
    const PositionCode &positions = Positions();
    BitReader in(GetBytes);

    int r = RingPrefill;
    int64_t done = 0;
    const auto put = [&](uint8_t byte) {
        int written = 0;
        PutBytes(&byte, 1, written);
        ring[r] = byte;
        r = (r + 1) & (RingSize - 1);
        ++done;
    };

    while (done < Length) {
        int c = tree.Child[Root];
        while (c < TableSize)
            c = tree.Child[c + in.Bit()];
        const int symbol = c - TableSize;
        tree.Update(symbol);
        if (symbol < 256) {
            put(uint8_t(symbol));
            continue;
        }
        int lead = in.Byte();
        const int upper = positions.Upper[lead];
        for (int extra = positions.Bits[lead] - 2; extra > 0; --extra)
            lead = (lead << 1) + in.Bit();
        const int position = (upper << 6) | (lead & 0x3F);
        const int from = (r - position - 1) & (RingSize - 1);
        const int length = symbol - 255 + Threshold;
        // One byte at a time: a match may overlap what it is producing.
        for (int k = 0; k < length && done < Length; ++k)
            put(ring[(from + k) & (RingSize - 1)]);
    }
}

} // namespace skin
