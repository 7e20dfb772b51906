#include "ui/PanelResources.h"

#include <QtCore/qglobal.h>

#include <mutex>

// At file scope, not in a namespace: the registration macro declares the
// generated function where it is used, and the generated one is global.
static void RegisterPanelResources()
{
    Q_INIT_RESOURCE(panel);
}

void InitPanelResources()
{
    static std::once_flag once;
    std::call_once(once, RegisterPanelResources);
}
