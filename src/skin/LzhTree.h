#pragma once

// The adaptive Huffman tree and the position code shared by the package
// decoder and our encoder. Both sides must run exactly the same updates, so
// there is one copy of them.
#include <array>
#include <cstdint>
#include <vector>

namespace skin::lzh {

constexpr int RingSize = 4096;                           // N
constexpr int LookAhead = 60;                            // F: the longest match
constexpr int Threshold = 2;                             // shorter matches are sent as literals
constexpr int SymbolCount = 256 - Threshold + LookAhead; // 314
constexpr int TableSize = SymbolCount * 2 - 1;           // 627 nodes; leaves are numbered from here
constexpr int Root = TableSize - 1;                      // 626
constexpr int MaxFrequency = 0x8000;
constexpr int RingPrefill = RingSize - LookAhead; // 4036 spaces, and the first write position

// The upper six bits of a match position travel as a prefix code. Only the
// lengths are tabled; the codes are handed out in increasing order, and the
// decoder's lookup by leading byte is derived from the same lengths.
struct PositionCode {
    std::array<uint8_t, 64> Length{}; // bits of the prefix
    std::array<uint8_t, 64> Code{};   // the prefix, left-aligned in a byte
    std::array<uint8_t, 256> Upper{}; // leading byte -> upper six bits
    std::array<uint8_t, 256> Bits{};  // leading byte -> prefix length
};
const PositionCode &Positions();

// The literal/length symbols' tree. Frequencies, parents and children live
// in flat tables; a child index at or above TableSize is a leaf.
class HuffmanTree {
public:
    HuffmanTree();
    void Reset();
    void Update(int symbol);

    std::vector<uint16_t> Freq;  // TableSize + 1; the last one is a sentinel above the root
    std::vector<int16_t> Parent; // TableSize + SymbolCount; leaves' parents from TableSize
    std::vector<int16_t> Child;  // TableSize

private:
    void Rebuild();
};

// Counts one more use of the symbol and restores the order of the
// frequencies by swapping nodes on the way up; inline, as the decoder calls
// it for every symbol.
inline void HuffmanTree::Update(int symbol)
{
    if (Freq[Root] == MaxFrequency)
        Rebuild();
    uint16_t *freq = Freq.data();
    int16_t *parent = Parent.data();
    int16_t *child = Child.data();
    int c = parent[symbol + TableSize];
    do {
        const uint16_t k = ++freq[c];
        int l = c + 1;
        if (k > freq[l]) {
            // Swap with the last node of lower frequency to keep the order.
            while (k > freq[++l]) {
            }
            --l;
            freq[c] = freq[l];
            freq[l] = k;
            const int i = child[c];
            parent[i] = int16_t(l);
            if (i < TableSize)
                parent[i + 1] = int16_t(l);
            const int j = child[l];
            child[l] = int16_t(i);
            parent[j] = int16_t(c);
            if (j < TableSize)
                parent[j + 1] = int16_t(c);
            child[c] = int16_t(j);
            c = l;
        }
        c = parent[c];
    } while (c != 0);
}

} // namespace skin::lzh
