#pragma once

// The skinning engine's private messages between the manager and the
// windows it skins: events whose types are the messages' numbers, all in
// Qt's range for a program's own events. A sent message carries an answer.
#include <QEvent>

#include <cstdint>

class QObject;

namespace skin {

// Asked of a window before it is skinned: a window that answers 1 is
// skinned already and never gets a second skinner.
constexpr int SkinMsgQuery = 0x3504;
// Posted to a window just attached, with wParam 0 and lParam 1000: its
// first layout.
constexpr int SkinMsgStart = 0x3503;

class TSkinMessage : public QEvent {
public:
    TSkinMessage(int msg, uintptr_t wParam, intptr_t lParam)
        : QEvent(static_cast<QEvent::Type>(msg)), WParam(wParam), LParam(lParam)
    {
    }
    int Msg() const { return static_cast<int>(type()); }

    uintptr_t WParam;
    intptr_t LParam;
    intptr_t Result = 0;
};

// Delivers the message at once and gives the window's answer, 0 when it has
// none or there is no window.
intptr_t SendSkinMessage(QObject *window, int msg, uintptr_t wParam = 0, intptr_t lParam = 0);
// Queues the message for the window and returns at once.
void PostSkinMessage(QObject *window, int msg, uintptr_t wParam, intptr_t lParam);

} // namespace skin
