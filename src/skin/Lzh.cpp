#include "skin/Lzh.h"

#include "skin/LzhTree.h"

#include <QtEndian>

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

namespace skin {

namespace {

using namespace lzh;

// The input side: bits are taken most significant first. Missing input
// reads as zero bits. Bytes are fetched from the caller in blocks and held
// in a 64-bit accumulator, which gives the same bits as refilling a 16-bit
// buffer a byte at a time, with fewer refills.
class BitReader {
public:
    explicit BitReader(const TLZH::TGetBytes &get) : get_(get) {}

    // Walks the tree from the root to a leaf, a bit per level. The bits
    // stay in registers for the walk instead of going through the members
    // bit by bit.
    int Walk(const int16_t *child)
    {
        uint64_t bits = buffer_;
        int count = count_;
        int c = child[Root];
        while (c < TableSize) {
            if (count == 0) [[unlikely]] {
                buffer_ = bits;
                count_ = 0;
                Refill();
                bits = buffer_;
                count = count_;
            }
            c = child[c + int(bits >> 63)];
            bits <<= 1;
            --count;
        }
        buffer_ = bits;
        count_ = count;
        return c;
    }

    // The next n bits, 1 <= n <= 8, as a number.
    int Bits(int n)
    {
        if (count_ < n)
            Refill();
        const int value = int(buffer_ >> (64 - n));
        buffer_ <<= n;
        count_ -= n;
        return value;
    }

    int Byte()
    {
        if (count_ < 8)
            Refill();
        const int byte = int(buffer_ >> 56);
        buffer_ <<= 8;
        count_ -= 8;
        return byte;
    }

private:
    void Refill()
    {
        if (end_ - pos_ >= 8) {
            // Eight bytes at once, as many whole ones as fit taken. The top
            // bits of the next byte come in below them; the refill that takes
            // that byte ORs the same bits into the same place.
            uint64_t next;
            std::memcpy(&next, block_ + pos_, sizeof next);
            buffer_ |= qFromBigEndian(next) >> count_;
            pos_ += (63 - count_) >> 3;
            count_ |= 56;
            return;
        }
        while (count_ <= 56) {
            buffer_ |= uint64_t(NextByte()) << (56 - count_);
            count_ += 8;
        }
    }

    uint8_t NextByte()
    {
        if (pos_ == end_) {
            pos_ = 0;
            end_ = 0;
            if (!exhausted_) {
                get_(block_, int(sizeof block_), end_);
                end_ = std::clamp(end_, 0, int(sizeof block_));
                exhausted_ = end_ == 0;
            }
            if (end_ == 0)
                return 0; // past the end of the input
        }
        return block_[pos_++];
    }

    const TLZH::TGetBytes &get_;
    uint64_t buffer_ = 0;
    int count_ = 0;
    uint8_t block_[4096];
    int pos_ = 0;
    int end_ = 0;
    bool exhausted_ = false;
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

    // Output goes to the caller a block at a time, in order.
    uint8_t block[4096];
    int used = 0;
    const auto flush = [&] {
        int written = 0;
        if (used > 0)
            PutBytes(block, used, written);
        used = 0;
    };
    int r = RingPrefill;
    int64_t done = 0;
    const auto put = [&](uint8_t byte) {
        block[used++] = byte;
        ring[r] = byte;
        r = (r + 1) & (RingSize - 1);
        if (used == int(sizeof block)) [[unlikely]]
            flush();
    };

    const int16_t *child = tree.Child.data();
    while (done < Length) {
        const int symbol = in.Walk(child) - TableSize;
        tree.Update(symbol);
        if (symbol < 256) {
            put(uint8_t(symbol));
            ++done;
            continue;
        }
        int lead = in.Byte();
        const int upper = positions.Upper[lead];
        if (const int extra = positions.Bits[lead] - 2; extra > 0)
            lead = (lead << extra) | in.Bits(extra);
        const int position = (upper << 6) | (lead & 0x3F);
        const int from = (r - position - 1) & (RingSize - 1);
        const int length = int(std::min<int64_t>(symbol - 255 + Threshold, Length - done));
        done += length;
        // When neither end wraps round the ring, the match is copied within
        // it and then handed on in one move. A source just behind the write
        // position overlaps the bytes being produced and repeats them, which
        // only a forward byte-by-byte copy gives.
        if (from + length <= RingSize && r + length < RingSize && used + length < int(sizeof block)) {
            uint8_t *to = ring + r;
            const uint8_t *source = ring + from;
            if (from < r && r - from < length) {
                for (int k = 0; k < length; ++k)
                    to[k] = source[k];
            } else {
                std::memmove(to, source, size_t(length));
            }
            std::memcpy(block + used, to, size_t(length));
            used += length;
            r += length;
            continue;
        }
        for (int k = 0; k < length; ++k)
            put(ring[(from + k) & (RingSize - 1)]);
    }
    flush();
}

} // namespace skin
