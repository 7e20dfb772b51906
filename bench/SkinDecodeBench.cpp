// How long our embedded skin takes to decode and to load whole (decode,
// parse the description, fill every element), 50 runs each, in processor
// time. Goals: decode
// median under 4 ms and slowest under 8 ms; whole load median under 10 ms.
#include "BenchSupport.h"
#include "skin/Lzh.h"
#include "skin/QuickIni.h"
#include "skin/Skin.h"
#include "skin/SkinPackage.h"
#include "skin/SkinReader.h"

#include <QBuffer>
#include <QGuiApplication>

#include <algorithm>
#include <cstdio>
#include <cstring>

using bench::Figures;
using bench::Measure;

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QByteArray package = skin::EmbeddedSkinStream().mid(4);
    int32_t length = 0;
    std::memcpy(&length, package.constData(), 4);
    std::printf("skin package: %lld bytes packed, %d bytes decoded\n", static_cast<long long>(package.size()), length);

    const Figures decode = Measure(50, [&] {
        QByteArray out;
        out.reserve(length);
        qsizetype pos = 4;
        skin::TLZH().Unpack(
            length,
            [&](const uint8_t *buffer, int count, int &written) {
                out.append(reinterpret_cast<const char *>(buffer), count);
                written = count;
            },
            [&](uint8_t *buffer, int requested, int &delivered) {
                delivered = int(std::min<qsizetype>(package.size() - pos, requested));
                std::memcpy(buffer, package.constData() + pos, size_t(delivered));
                pos += delivered;
            });
    });
    std::printf("decode:      median %6.2f ms, slowest %6.2f ms  (goal: under 4 and 8 ms)\n", decode.median,
                decode.slowest);

    skin::TSkinReader reader;
    const Figures read = Measure(50, [&] { reader.LoadPackage(package); });
    std::printf("read:        median %6.2f ms, slowest %6.2f ms  (decode and tables)\n", read.median, read.slowest);

    QByteArray text;
    QString found;
    reader.ExtractFirstMatching(QStringLiteral(".ini"), text, found);
    skin::TQuickIni ini;
    const Figures parse = Measure(50, [&] {
        QBuffer buffer(&text);
        buffer.open(QIODevice::ReadOnly);
        ini.LoadFromStream(&buffer);
    });
    std::printf("parse:       median %6.2f ms, slowest %6.2f ms\n", parse.median, parse.slowest);

    skin::TSkin skin;
    const Figures elements = Measure(50, [&] { skin.LoadSkinElements(ini, reader); });
    std::printf("elements:    median %6.2f ms, slowest %6.2f ms\n", elements.median, elements.slowest);

    const Figures whole = Measure(50, [&] {
        skin::TSkinReader r;
        r.LoadPackage(package);
        QByteArray description;
        QString name;
        r.ExtractFirstMatching(QStringLiteral(".ini"), description, name);
        QBuffer buffer(&description);
        buffer.open(QIODevice::ReadOnly);
        skin::TQuickIni i;
        i.LoadFromStream(&buffer);
        skin::TSkin s;
        s.LoadSkinElements(i, r);
    });
    std::printf("whole load:  median %6.2f ms, slowest %6.2f ms  (goal: median under 10 ms)\n", whole.median,
                whole.slowest);
    return 0;
}
