#include "skin/SkinReader.h"

#include "platform/ErrorHandler.h"
#include "skin/BitmapHelpers.h"
#include "skin/Lzh.h"

#include <QtEndian>

#include <algorithm>
#include <cstring>

namespace skin {

namespace {

// Missing bytes read as zeros, as the decoder treats its input.
int32_t IntAt(const QByteArray &bytes, qsizetype offset)
{
    char raw[4] = {0, 0, 0, 0};
    for (int i = 0; i < 4; ++i) {
        if (offset + i >= 0 && offset + i < bytes.size())
            raw[i] = bytes[offset + i];
    }
    return qFromLittleEndian<int32_t>(raw);
}

} // namespace

void TSkinReader::Clear()
{
    Names.clear();
    Count = 0;
    Sizes.fill(0);
    offsets_.fill(0);
    Data.clear();
    Header.fill(0);
}

bool TSkinReader::Fail(const QString &fault)
{
    Clear();
    FFault = fault;
    return false;
}

bool TSkinReader::LoadPackage(const QByteArray &Store)
{
    if (ReadPackage(Store))
        return true;
    platform::Application::ShowException(FFault);
    return false;
}

bool TSkinReader::ReadPackage(const QByteArray &Store)
{
    Clear();
    FFault.clear();
    const int64_t length = IntAt(Store, 0);
    const int64_t compressed = std::max<int64_t>(Store.size() - 4, 0);
    if (length < 0 || length > TLZH::MaxUnpackedLength(compressed)) {
        return Fail(QStringLiteral("The skin package is damaged: it claims %1 bytes of data, which its %2 "
                                   "compressed bytes cannot hold.")
                        .arg(length)
                        .arg(compressed));
    }

    QByteArray archive;
    archive.reserve(length);
    qsizetype inPos = 4;
    TLZH decoder;
    try {
        decoder.Unpack(
            length,
            [&archive](const uint8_t *buffer, int count, int &written) {
                archive.append(reinterpret_cast<const char *>(buffer), count);
                written = count;
            },
            [&Store, &inPos](uint8_t *buffer, int requested, int &delivered) {
                delivered = int(std::clamp<qsizetype>(Store.size() - inPos, 0, requested));
                std::memcpy(buffer, Store.constData() + inPos, size_t(delivered));
                inPos += delivered;
            });
    } catch (const ElzhException &e) {
        return Fail(e.Message());
    }

    for (int i = 0; i < 4; ++i)
        Header[i] = IntAt(archive, 4 * i);
    if (Header[0] != 20000)
        return Fail(QStringLiteral("This is Older Skin File\nPlease update to new version !"));

    const int64_t nameLength = Header[1];
    if (nameLength < 0 || 16 + nameLength > length)
        return Fail(QStringLiteral("The skin package is damaged: its list of names runs past its end."));
    QByteArray nameText = archive.mid(16, nameLength);
    if (const qsizetype zero = nameText.indexOf('\0'); zero >= 0)
        nameText.truncate(zero);
    QStringList names;
    if (!nameText.isEmpty()) {
        const QString text = AnsiToWide(nameText);
        qsizetype start = 0;
        for (qsizetype i = 0; i < text.size(); ++i) {
            if (text[i] != u'\r' && text[i] != u'\n')
                continue;
            names.append(AsciiLower(text.mid(start, i - start)));
            if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
                ++i;
            start = i + 1;
        }
        if (start < text.size())
            names.append(AsciiLower(text.mid(start)));
    }
    if (names.size() > MaxEntries) {
        return Fail(QStringLiteral("The skin package is damaged: it names %1 entries, more than the %2 a skin "
                                   "may hold.")
                        .arg(names.size())
                        .arg(MaxEntries));
    }

    const int64_t tableStart = 16 + nameLength;
    const int64_t dataStart = tableStart + 4 * int64_t(names.size());
    if (dataStart > length)
        return Fail(QStringLiteral("The skin package is damaged: its table of sizes runs past its end."));
    int64_t total = 0;
    std::array<int32_t, MaxEntries> sizes{};
    std::array<int64_t, MaxEntries> offsets{};
    for (int i = 0; i < names.size(); ++i) {
        sizes[i] = IntAt(archive, tableStart + 4 * i);
        if (sizes[i] < 0)
            return Fail(QStringLiteral("The skin package is damaged: entry \"%1\" has a negative size.").arg(names[i]));
        offsets[i] = total;
        total += sizes[i];
    }
    if (dataStart + total > length)
        return Fail(QStringLiteral("The skin package is damaged: its entries run past its end."));

    Names = names;
    Count = int(names.size());
    Sizes = sizes;
    offsets_ = offsets;
    // The entries stay where they were decoded: only the tables ahead of
    // them are dropped.
    archive.remove(0, dataStart);
    Data = std::move(archive);
    return true;
}

QByteArray TSkinReader::EntryAt(int index) const
{
    return Data.mid(offsets_[index], Sizes[index]);
}

void TSkinReader::ExtractEntry(const QString &Name, QByteArray &Dest) const
{
    Dest = EntryView(Name).toByteArray();
}

QByteArrayView TSkinReader::EntryView(const QString &Name) const
{
    const QString wanted = AsciiLower(Name);
    for (int i = 0; i < Count; ++i) {
        if (Names[i] == wanted)
            return QByteArrayView(Data).sliced(offsets_[i], Sizes[i]);
    }
    return {};
}

void TSkinReader::ExtractFirstMatching(const QString &Fragment, QByteArray &Dest, QString &FoundName) const
{
    Dest.clear();
    for (int i = 0; i < Count; ++i) {
        if (Names[i].contains(Fragment)) {
            Dest = EntryAt(i);
            FoundName = Names[i];
            return;
        }
    }
}

} // namespace skin
