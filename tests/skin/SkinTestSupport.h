#pragma once

#include "platform/ErrorHandler.h"
#include "skin/Lzh.h"
#include "skin/SkinPacker.h"

#include <QByteArray>
#include <QStringList>

#include <cstring>

namespace skin::test {

// Collects the messages the skin code shows instead of opening boxes.
class ShownMessages {
public:
    ShownMessages()
    {
        platform::Application::SetPresenter([this](const QString &m) { messages.append(m); });
    }
    ~ShownMessages() { platform::Application::SetPresenter({}); }
    QStringList messages;
};

// Decodes a bare compressed stream to the given length.
inline QByteArray Unpack(const QByteArray &compressed, qsizetype length)
{
    QByteArray out;
    qsizetype pos = 0;
    TLZH().Unpack(
        length,
        [&out](const uint8_t *buffer, int count, int &written) {
            out.append(reinterpret_cast<const char *>(buffer), count);
            written = count;
        },
        [&](uint8_t *buffer, int requested, int &delivered) {
            delivered = int(std::min<qsizetype>(compressed.size() - pos, requested));
            std::memcpy(buffer, compressed.constData() + pos, size_t(delivered));
            pos += delivered;
        });
    return out;
}

// A repeatable byte sequence (a linear congruential generator).
inline QByteArray Noise(qsizetype size, uint32_t seed, int alphabet = 256)
{
    QByteArray out(size, Qt::Uninitialized);
    for (qsizetype i = 0; i < size; ++i) {
        seed = seed * 1664525u + 1013904223u;
        out[i] = char((seed >> 16) % uint32_t(alphabet));
    }
    return out;
}

} // namespace skin::test
