#pragma once

// A component's hidden window: the object to which other threads (the MIDI
// driver's callback among them) post numbered messages that are then handled
// on the thread that owns the window, the user-interface thread.
#include <QObject>

#include <cstdint>
#include <functional>

namespace platform {

// The first message number free for a program's own use.
constexpr uint32_t WM_USER = 0x400;

class THiddenWindow : public QObject {
public:
    using Handler = std::function<void(uint32_t msg, uintptr_t wParam, uintptr_t lParam)>;
    explicit THiddenWindow(Handler handler);

protected:
    bool event(QEvent *event) override;

private:
    Handler handler_;
};

// Queues the message for the window and returns at once; safe from any
// thread. Messages still queued when the window is destroyed are dropped
// with it. False when there is no window.
bool PostMessageA(THiddenWindow *window, uint32_t msg, uintptr_t wParam, uintptr_t lParam);

} // namespace platform
