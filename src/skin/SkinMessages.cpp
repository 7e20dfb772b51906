#include "skin/SkinMessages.h"

#include <QCoreApplication>

namespace skin {

intptr_t SendSkinMessage(QObject *window, int msg, uintptr_t wParam, intptr_t lParam)
{
    if (!window)
        return 0;
    TSkinMessage message(msg, wParam, lParam);
    QCoreApplication::sendEvent(window, &message);
    return message.Result;
}

void PostSkinMessage(QObject *window, int msg, uintptr_t wParam, intptr_t lParam)
{
    if (window)
        QCoreApplication::postEvent(window, new TSkinMessage(msg, wParam, lParam));
}

} // namespace skin
