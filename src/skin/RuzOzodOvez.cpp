#include "skin/RuzOzodOvez.h"

#include "skin/RadEzarArov.h"
#include "skin/SkinManage.h"

namespace skin {

TRuzOzodOvez::TRuzOzodOvez(QObject *owner) : QObject(owner) {}

TRuzOzodOvez::~TRuzOzodOvez()
{
    if (SkinManager)
        SkinManager->RemoveSkinner(this);
}

void TRuzOzodOvez::AttachForm(TSkinData *skinData, QWidget *form)
{
    Form = form;
    Attach(skinData);
}

void TRuzOzodOvez::Attach(TSkinData *skinData)
{
    if (FAttached || !Handle)
        return;
    FAttached = true;
    SkinData = skinData;
    // The manager frees a skinner whose window has gone at its next purge.
    connect(Handle.data(), &QObject::destroyed, this, [this] { State = StateDestroyed; });
    State = StateSkinned;
    Invalidate(Handle);
}

void TRuzOzodOvez::Unskin()
{
    if (!FAttached)
        return;
    FAttached = false;
    if (Handle)
        disconnect(Handle.data(), nullptr, this, nullptr);
}

void TRuzOzodOvez::Invalidate(QWidget *window)
{
    if (window)
        window->update();
}

void TRuzOzodOvez::FreeTitleButtons() {}

void TRuzOzodOvez::LayoutBorders() {}

void TRuzOzodOvez::Reskin()
{
    Invalidate(Handle);
}

void TRuzOzodOvez::SetFrameStyles(bool) {}

void TRuzOzodOvez::RedrawFrame()
{
    Invalidate(Handle);
}

void TRuzOzodOvez::UpdateRegion() {}

void TRuzOzodOvez::DropRegion() {}

} // namespace skin
