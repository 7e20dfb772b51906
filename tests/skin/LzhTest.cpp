// The decoder against our encoder, over inputs that reach each corner of
// the code: the pre-filled ring, overlapping copies, the longest matches,
// the tree's rebuild and codes longer than 16 bits; and against a package
// made by an encoder of its own, with its known answer.
#include "SkinTestSupport.h"
#include "skin/LzhEncoder.h"
#include "skin/LzhTree.h"
#include "skin/SkinReader.h"

#include <QFile>
#include <QtEndian>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <vector>

namespace skin {
namespace {

QByteArray AllBytes()
{
    QByteArray out;
    for (int i = 0; i < 256; ++i)
        out.append(char(i));
    return out;
}

struct RoundTrip {
    const char *name;
    std::function<QByteArray()> make;
    std::function<void(const TLzhPackStats &)> check;
};

class LzhRoundTrip : public testing::TestWithParam<RoundTrip> {};

TEST_P(LzhRoundTrip, DecodesWhatWasEncoded)
{
    const QByteArray input = GetParam().make();
    TLzhPackStats stats;
    const QByteArray packed = LzhPack(input, &stats);
    EXPECT_EQ(packed, LzhPack(input)) << "the encoder must be deterministic";
    const QByteArray output = test::Unpack(packed, input.size());
    ASSERT_EQ(output.size(), input.size());
    EXPECT_TRUE(output == input) << "first difference at "
                                 << std::mismatch(input.begin(), input.end(), output.begin()).first - input.begin();
    if (GetParam().check)
        GetParam().check(stats);
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, LzhRoundTrip,
    testing::Values(RoundTrip{"Empty", [] { return QByteArray(); }, nullptr},
                    RoundTrip{"OneByte", [] { return QByteArray("x"); }, nullptr},
                    RoundTrip{"AllByteValues", AllBytes, nullptr},
                    RoundTrip{"MatchAtStartFromPrefilledSpaces", [] { return QByteArray(50, ' ') + "tail"; },
                              [](const TLzhPackStats &s) { EXPECT_EQ(s.Literals, 4); }},
                    RoundTrip{"OverlappingMatches",
                              [] { return QByteArray("ab").repeated(500) + "abc" + QByteArray("xyz").repeated(99); },
                              [](const TLzhPackStats &s) { EXPECT_GT(s.Matches, 0); }},
                    RoundTrip{"SixtyByteRuns", [] { return QByteArray(6000, 'q') + AllBytes() + QByteArray(61, 'r'); },
                              [](const TLzhPackStats &s) { EXPECT_GE(s.Matches, 100); }},
                    RoundTrip{"EnoughSymbolsToRebuildTheTree", [] { return test::Noise(90000, 1); },
                              [](const TLzhPackStats &s) { EXPECT_GT(s.Literals + s.Matches, 2 * 32768); }},
                    RoundTrip{"PicturesAndText",
                              [] {
                                  return AllBytes().repeated(40) + test::Noise(5000, 3, 4) +
                                         QByteArray("[Section]\r\nKey=1\r\n").repeated(300);
                              },
                              nullptr}),
    [](const testing::TestParamInfo<RoundTrip> &info) { return info.param.name; });

// Literals weighted like Fibonacci numbers from 400 up, shuffled, and then
// the symbols never seen: the tree grows a long spine, and the last codes
// are longer than the 16 bits a naive writer keeps.
TEST(Lzh, CodesLongerThanSixteenBitsAreWrittenWhole)
{
    std::vector<TLzhToken> tokens;
    int a = 400;
    int b = 400;
    for (int symbol = 0; symbol < 8; ++symbol) {
        tokens.insert(tokens.end(), size_t(a), TLzhToken{'a' + symbol, 0});
        const int next = a + b;
        a = b;
        b = next;
    }
    uint32_t seed = 7;
    for (size_t i = tokens.size() - 1; i > 0; --i) {
        seed = seed * 1664525u + 1013904223u;
        std::swap(tokens[i], tokens[(seed >> 8) % (i + 1)]);
    }
    for (int rare = 128; rare < 256; ++rare)
        tokens.push_back({rare, 0});
    QByteArray expected;
    for (const TLzhToken &t : tokens)
        expected.append(char(t.Symbol));

    TLzhPackStats stats;
    const QByteArray packed = LzhPackTokens(tokens, &stats);
    EXPECT_GE(stats.LongestCode, 17);
    EXPECT_TRUE(test::Unpack(packed, expected.size()) == expected);
}

TEST(Lzh, PositionPrefixesAreHandedOutInIncreasingOrder)
{
    const lzh::PositionCode &p = lzh::Positions();
    const std::pair<int, int> firstOfLength[] = {{0, 0x00}, {1, 0x20}, {4, 0x50}, {12, 0x90}, {24, 0xC0}, {48, 0xF0}};
    for (const auto &[value, code] : firstOfLength)
        EXPECT_EQ(p.Code[value], code) << "value " << value;
    EXPECT_EQ(p.Code[63], 0xFF);
    EXPECT_EQ(p.Length[0], 3);
    EXPECT_EQ(p.Length[63], 8);
    // The decoder's lookup by leading byte agrees with the codes.
    for (int b = 0; b < 256; ++b) {
        const int v = p.Upper[b];
        EXPECT_EQ(b >> (8 - p.Length[v]), p.Code[v] >> (8 - p.Length[v])) << "byte " << b;
        EXPECT_EQ(p.Bits[b], p.Length[v]);
    }
}

TEST(Lzh, InputThatRunsOutReadsAsZerosAndStillGivesTheLength)
{
    const QByteArray input = test::Noise(3000, 9);
    const QByteArray packed = LzhPack(input);
    const QByteArray cut = test::Unpack(packed.left(packed.size() / 2), input.size());
    EXPECT_EQ(cut.size(), input.size());
    EXPECT_TRUE(cut.startsWith(input.left(1000)));
    EXPECT_EQ(test::Unpack(QByteArray(), 777).size(), 777);
}

TEST(Lzh, InputHandedOverInSmallPiecesGivesTheSameBytes)
{
    const QByteArray input = test::Noise(20000, 5, 6) + QByteArray("xy").repeated(3000) + test::Noise(9000, 2);
    const QByteArray packed = LzhPack(input);
    for (const int piece : {1, 3, 7, 8, 9, 4095, 4097}) {
        QByteArray out;
        qsizetype pos = 0;
        TLZH().Unpack(
            input.size(),
            [&out](const uint8_t *buffer, int count, int &written) {
                out.append(reinterpret_cast<const char *>(buffer), count);
                written = count;
            },
            [&](uint8_t *buffer, int requested, int &delivered) {
                delivered = int(std::min<qsizetype>({packed.size() - pos, qsizetype(requested), qsizetype(piece)}));
                std::memcpy(buffer, packed.constData() + pos, size_t(delivered));
                pos += delivered;
            });
        EXPECT_TRUE(out == input) << "pieces of " << piece << " bytes";
    }
}

TEST(Lzh, StopsInsideAMatchAtTheLength)
{
    const QByteArray packed = LzhPack(QByteArray(600, 'z'));
    EXPECT_EQ(test::Unpack(packed, 70), QByteArray(70, 'z'));
}

QByteArray Fixture(const char *name)
{
    QFile file(QStringLiteral(HN_FIXTURES_DIR "/") + QLatin1String(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The noise entry of the known-answer package: the top byte of each state
// of a linear congruential generator, as tools/skin/make_known_answer.py
// writes it.
QByteArray KnownNoise(int count)
{
    QByteArray out;
    uint32_t state = 20000;
    for (int i = 0; i < count; ++i) {
        state = state * 1103515245u + 12345u;
        out.append(char(state >> 24));
    }
    return out;
}

void AppendInt32(QByteArray &out, int32_t value)
{
    char bytes[4];
    qToLittleEndian(value, bytes);
    out.append(bytes, 4);
}

// The archive the package decodes to, laid out here by hand: the header
// (its two reserved words spaces), the names, the sizes, the entries.
QByteArray KnownArchive(const QByteArray &description, const QByteArray &noise)
{
    const QByteArray names = "known.ini\r\nnoise.bin\r\n";
    QByteArray out;
    for (const int32_t word : {int32_t(20000), int32_t(names.size()), int32_t(0x20202020), int32_t(0x20202020)})
        AppendInt32(out, word);
    out += names;
    AppendInt32(out, int32_t(description.size()));
    AppendInt32(out, int32_t(noise.size()));
    return out + description + noise;
}

// The package was made once by an encoder written on its own, sharing
// nothing with our tree: a fault in the tree's update or rebuild would show
// here, where a round trip through our encoder would cancel it out. Its
// noise takes the root past 32768, so the tree is rebuilt once; its
// description holds matches of 3 to 60 bytes, some copying their own
// output, and its header's spaces match the ring's before any byte is
// written.
TEST(Lzh, DecodesAPackageMadeByAnIndependentEncoderToTheKnownAnswer)
{
    const QByteArray package = Fixture("known-answer.skn");
    const QByteArray description = Fixture("known-answer.ini");
    const QByteArray noise = KnownNoise(34000);
    ASSERT_GT(package.size(), 4);
    ASSERT_FALSE(description.isEmpty());
    const QByteArray expected = KnownArchive(description, noise);
    ASSERT_EQ(qFromLittleEndian<qint32>(package.constData()), expected.size());

    const QByteArray decoded = test::Unpack(package.mid(4), expected.size());
    ASSERT_EQ(decoded.size(), expected.size());
    const auto [at, _] = std::mismatch(decoded.cbegin(), decoded.cend(), expected.cbegin());
    EXPECT_EQ(at, decoded.cend()) << "first difference at byte " << (at - decoded.cbegin());

    test::ShownMessages shown;
    TSkinReader reader;
    ASSERT_TRUE(reader.LoadPackage(package));
    EXPECT_EQ(reader.Names, QStringList({"known.ini", "noise.bin"}));
    QByteArray entry;
    reader.ExtractEntry("known.ini", entry);
    EXPECT_EQ(entry, description);
    reader.ExtractEntry("noise.bin", entry);
    EXPECT_TRUE(entry == noise);
    EXPECT_TRUE(shown.messages.isEmpty());
}

TEST(Lzh, NegativeLengthIsRefused)
{
    EXPECT_THROW(test::Unpack(QByteArray(), -1), ElzhException);
}

} // namespace
} // namespace skin
