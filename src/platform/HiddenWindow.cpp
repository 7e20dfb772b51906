#include "platform/HiddenWindow.h"

#include <QCoreApplication>
#include <QEvent>

namespace platform {

namespace {

QEvent::Type MessageEventType()
{
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

class MessageEvent : public QEvent {
public:
    MessageEvent(uint32_t msg, uintptr_t wParam, uintptr_t lParam)
        : QEvent(MessageEventType()), msg(msg), wParam(wParam), lParam(lParam)
    {
    }
    const uint32_t msg;
    const uintptr_t wParam;
    const uintptr_t lParam;
};

} // namespace

THiddenWindow::THiddenWindow(Handler handler) : handler_(std::move(handler)) {}

bool THiddenWindow::event(QEvent *event)
{
    if (event->type() != MessageEventType())
        return QObject::event(event);
    const auto *message = static_cast<MessageEvent *>(event);
    if (handler_)
        handler_(message->msg, message->wParam, message->lParam);
    return true;
}

bool PostMessageA(THiddenWindow *window, uint32_t msg, uintptr_t wParam, uintptr_t lParam)
{
    if (!window)
        return false;
    QCoreApplication::postEvent(window, new MessageEvent(msg, wParam, lParam));
    return true;
}

} // namespace platform
