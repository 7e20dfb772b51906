#include "skin/SkinPopMenu.h"

#include "skin/RadEzarArov.h"

#include "skin/SkinMessages.h"

namespace skin {

TWinSkinPopMenu::~TWinSkinPopMenu()
{
    Detach();
}

void TWinSkinPopMenu::Attach(QWidget *menuWindow, TSkinData *skinData, const QObject *menuKey)
{
    MenuWindow = menuWindow;
    FWindow = menuWindow;
    SkinData = skinData;
    MenuKey = menuKey;
    if (menuWindow) {
        menuWindow->installEventFilter(this);
        FAttached = true;
    }
}

void TWinSkinPopMenu::Detach()
{
    if (!FAttached)
        return;
    FAttached = false;
    if (MenuWindow)
        MenuWindow->removeEventFilter(this);
    Bitmap = QImage();
}

bool TWinSkinPopMenu::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == MenuWindow && event->type() == static_cast<QEvent::Type>(SkinMsgQuery)) {
        static_cast<TSkinMessage *>(event)->Result = 1;
        return true;
    }
    return QObject::eventFilter(watched, event);
}

} // namespace skin
