#pragma once

// Our encoder for skin packages: the decoder's tree and updates with LZSS
// matching over the same ring. The same input always gives the same bytes.
#include <QByteArray>

#include <vector>

namespace skin {

// What the encoder did, for tests that must reach rare corners of the code.
struct TLzhPackStats {
    int LongestCode = 0; // bits of the longest symbol code written
    int Matches = 0;
    int Literals = 0;
};

// The compressed stream alone, without the length in front.
QByteArray LzhPack(const QByteArray &data, TLzhPackStats *stats = nullptr);

// One step of a stream: a literal byte (Symbol below 256), or a match of
// Symbol - 253 bytes starting Position + 1 bytes back.
struct TLzhToken {
    int Symbol = 0;
    int Position = 0;
};

// Codes a token sequence chosen by the caller, without looking for
// matches: lets tests weight the symbols exactly.
QByteArray LzhPackTokens(const std::vector<TLzhToken> &tokens, TLzhPackStats *stats = nullptr);

} // namespace skin
