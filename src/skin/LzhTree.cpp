#include "skin/LzhTree.h"

#include <algorithm>

namespace skin::lzh {

namespace {

PositionCode MakePositions()
{
    // How many of the 64 upper-bit values get a prefix of 3, 4, ... 8 bits.
    constexpr std::array<int, 6> perLength = {1, 3, 8, 12, 24, 16};
    PositionCode table;
    int value = 0;
    int code = 0;
    for (int i = 0; i < int(perLength.size()); ++i) {
        const int bits = 3 + i;
        for (int n = 0; n < perLength[i]; ++n, ++value) {
            table.Length[value] = uint8_t(bits);
            table.Code[value] = uint8_t(code);
            const int span = 1 << (8 - bits);
            for (int b = code; b < code + span; ++b) {
                table.Upper[b] = uint8_t(value);
                table.Bits[b] = uint8_t(bits);
            }
            code += span;
        }
    }
    return table;
}

} // namespace

const PositionCode &Positions()
{
    static const PositionCode table = MakePositions();
    return table;
}

HuffmanTree::HuffmanTree() : Freq(TableSize + 1), Parent(TableSize + SymbolCount), Child(TableSize)
{
    Reset();
}

void HuffmanTree::Reset()
{
    for (int i = 0; i < SymbolCount; ++i) {
        Freq[i] = 1;
        Child[i] = int16_t(i + TableSize);
        Parent[i + TableSize] = int16_t(i);
    }
    for (int i = 0, j = SymbolCount; j <= Root; i += 2, ++j) {
        Freq[j] = uint16_t(Freq[i] + Freq[i + 1]);
        Child[j] = int16_t(i);
        Parent[i] = Parent[i + 1] = int16_t(j);
    }
    Freq[TableSize] = 0xFFFF;
    Parent[Root] = 0;
}

// Halves every leaf (rounding up) and builds the internal nodes again, each
// slid into place so the frequencies stay in ascending order.
void HuffmanTree::Rebuild()
{
    int j = 0;
    for (int i = 0; i < TableSize; ++i) {
        if (Child[i] >= TableSize) {
            Freq[j] = uint16_t((Freq[i] + 1) / 2);
            Child[j] = Child[i];
            ++j;
        }
    }
    for (int i = 0, node = SymbolCount; node < TableSize; i += 2, ++node) {
        const uint16_t f = uint16_t(Freq[i] + Freq[i + 1]);
        int k = node - 1;
        while (f < Freq[k])
            --k;
        ++k;
        std::move_backward(Freq.begin() + k, Freq.begin() + node, Freq.begin() + node + 1);
        std::move_backward(Child.begin() + k, Child.begin() + node, Child.begin() + node + 1);
        Freq[k] = f;
        Child[k] = int16_t(i);
    }
    for (int i = 0; i < TableSize; ++i) {
        const int k = Child[i];
        Parent[k] = int16_t(i);
        if (k < TableSize)
            Parent[k + 1] = int16_t(i);
    }
}

} // namespace skin::lzh
