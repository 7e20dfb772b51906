// Damaged packages: cut short, corrupted at random, or with headers made
// by hand to lie. Every one must end in a clear message or a loaded skin
// (its damaged pictures empty), quickly and without touching memory it
// does not own; .ci/run runs this under the sanitizers too.
#include "SkinLoading.h"
#include "SkinTestSupport.h"
#include "skin/SkinPackage.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QtEndian>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace skin {
namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr qint64 CaseLimitMs = 2000; // the sanitizers slow everything down many times
#else
constexpr qint64 CaseLimitMs = 500; // a tenth of the old danger: a lying length decoded gigabytes
#endif

class Rng {
public:
    explicit Rng(uint32_t seed) : state_(seed * 2654435761u + 1) {}
    uint32_t Next()
    {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return state_;
    }
    int Below(int n) { return int(Next() % uint32_t(n)); }

private:
    uint32_t state_;
};

QByteArray Int32(int32_t v)
{
    char b[4];
    qToLittleEndian(v, b);
    return QByteArray(b, 4);
}

class SkinFuzz : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        package = new QByteArray(test::PackageOf(EmbeddedSkinStream()));
        test::ShownMessages quiet;
        TSkinReader reader;
        reader.LoadPackage(*package);
        archive = new QByteArray(BuildArchive(reader.Names.join("\r\n").toLatin1() + "\r\n", [&] {
            QList<QByteArray> contents;
            for (const QString &n : reader.Names) {
                QByteArray c;
                reader.ExtractEntry(n, c);
                contents.append(c);
            }
            return contents;
        }()));
    }
    static void TearDownTestSuite()
    {
        delete package;
        delete archive;
    }

    // Loads one damaged package the way the skin component does.
    void Survives(const QByteArray &damaged, const QString &what)
    {
        test::ShownMessages shown;
        QElapsedTimer timer;
        timer.start();
        auto loaded = std::make_unique<test::LoadedSkin>();
        test::LoadWholeSkin(damaged, *loaded);
        const qint64 ms = timer.elapsed();
        times.push_back(ms);
        EXPECT_LT(ms, CaseLimitMs) << qPrintable(what);
        if (loaded->loaded) {
            EXPECT_TRUE(shown.messages.isEmpty()) << qPrintable(what);
            EXPECT_LE(loaded->reader.Count, TSkinReader::MaxEntries);
        } else {
            ASSERT_EQ(shown.messages.size(), 1) << qPrintable(what);
            EXPECT_FALSE(shown.messages[0].isEmpty());
        }
    }

    void TearDown() override
    {
        if (times.empty())
            return;
        std::sort(times.begin(), times.end());
        std::printf("%zu packages: median %lld ms, slowest %lld ms\n", times.size(),
                    static_cast<long long>(times[times.size() / 2]), static_cast<long long>(times.back()));
    }

    static QByteArray *package;
    static QByteArray *archive;
    std::vector<qint64> times;
};
QByteArray *SkinFuzz::package = nullptr;
QByteArray *SkinFuzz::archive = nullptr;

TEST_F(SkinFuzz, EveryShortPrefix)
{
    for (int n = 0; n <= 64; ++n)
        Survives(package->left(n), QStringLiteral("the first %1 bytes").arg(n));
}

TEST_F(SkinFuzz, RandomTruncations)
{
    Rng rng(500);
    for (int i = 0; i < 500; ++i) {
        const int n = rng.Below(int(package->size()));
        Survives(package->left(n), QStringLiteral("the first %1 bytes").arg(n));
    }
}

// Bytes of the compressed package changed: flipped bits, zeros, all ones.
void Corrupt(QByteArray &bytes, Rng &rng)
{
    const int changes = 1 + rng.Below(8);
    for (int c = 0; c < changes; ++c) {
        // Every fourth change lands in the first bytes, where the length
        // and the archive's tables start.
        const int at = rng.Below(4) == 0 ? rng.Below(64) : rng.Below(int(bytes.size()));
        switch (rng.Below(3)) {
        case 0:
            bytes[at] = char(bytes[at] ^ (1 << rng.Below(8)));
            break;
        case 1:
            bytes[at] = 0;
            break;
        default:
            bytes[at] = char(0xFF);
            break;
        }
    }
}

class SkinCorruption : public SkinFuzz, public testing::WithParamInterface<int> {};

TEST_P(SkinCorruption, SeededCorruptions)
{
    const int first = GetParam() * 500;
    for (int seed = first; seed < first + 500; ++seed) {
        Rng rng{uint32_t(seed)};
        QByteArray damaged = *package;
        Corrupt(damaged, rng);
        Survives(damaged, QStringLiteral("corruption %1").arg(seed));
    }
}

INSTANTIATE_TEST_SUITE_P(TwoThousand, SkinCorruption, testing::Range(0, 4));

// The archive damaged before packing, so the decoder succeeds and the
// reader, the parser and the loader meet the damage: tables, the
// description and the pictures' headers.
TEST_F(SkinFuzz, DamagedArchivesPackedWell)
{
    TSkinReader reader;
    ASSERT_TRUE(reader.LoadPackage(*package));
    const qsizetype tables = 16 + qFromLittleEndian<int32_t>(archive->constData() + 4) + 4 * reader.Count;
    Rng rng(77);
    for (int i = 0; i < 60; ++i) {
        QByteArray damaged = *archive;
        const int changes = 1 + rng.Below(6);
        for (int c = 0; c < changes; ++c) {
            // Tables, the description right after them, or a picture header.
            qsizetype at = 0;
            switch (rng.Below(3)) {
            case 0:
                at = rng.Below(int(tables));
                break;
            case 1:
                at = tables + rng.Below(6000);
                break;
            default: {
                const int entry = 1 + rng.Below(reader.Count - 1);
                qsizetype offset = tables;
                for (int e = 0; e < entry; ++e)
                    offset += reader.Sizes[e];
                at = offset + rng.Below(54);
                break;
            }
            }
            damaged[at] = char(rng.Next());
        }
        Survives(PackArchive(damaged), QStringLiteral("damaged archive %1").arg(i));
    }
}

TEST_F(SkinFuzz, HeadersMadeByHand)
{
    const QByteArray names = "a.ini\r\nb.bmp\r\n";
    const auto header = [](int32_t n) { return Int32(20000) + Int32(n) + Int32(0) + Int32(0); };
    const struct {
        const char *what;
        QByteArray package;
    } cases[] = {
        {"L = 2^31 - 1", Int32(0x7FFFFFFF) + package->mid(4)},
        {"L = -1", Int32(-1) + package->mid(4)},
        {"L a byte past what the stream can carry", Int32(int32_t(48 * (package->size() - 4) + 61)) + package->mid(4)},
        {"a huge N", PackArchive(header(0x7FFFFFF0) + names + Int32(1) + Int32(1) + "xy")},
        {"N = -1", PackArchive(header(-1) + names + Int32(1) + Int32(1) + "xy")},
        {"1002 names",
         PackArchive(header(1002 * 7) + QByteArray("x.bmp\r\n").repeated(1002) + Int32(0).repeated(1002))},
        {"a negative size", PackArchive(header(14) + names + Int32(-1) + Int32(3) + "xy")},
        {"an overlong size", PackArchive(header(14) + names + Int32(1) + Int32(0x7FFFFFFF) + "xy")},
        {"sizes adding up past 2^32", PackArchive(header(14) + names + Int32(0x7FFFFFFF) + Int32(0x7FFFFFFF) + "xy")},
        {"a picture header claiming 30000 x 30000 pixels",
         PackSkin(
             {{"s.ini", "[Personality]\r\nTop=b.bmp\r\n"},
              {"b.bmp", QByteArray("BM") + Int32(70) + Int32(0) + Int32(54) + Int32(40) + Int32(30000) + Int32(30000) +
                            QByteArray("\x01\x00\x18\x00", 4) + QByteArray(24, '\0') + QByteArray(16, 'x')}})},
    };
    for (const auto &c : cases)
        Survives(c.package, QString::fromLatin1(c.what));
}

} // namespace
} // namespace skin
