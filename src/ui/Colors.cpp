#include "ui/Colors.h"

QColor ColorFromBgr(uint32_t bgr)
{
    // The high byte marks system colours in skins; a plain colour ignores it.
    return QColor(int(bgr & 0xFF), int((bgr >> 8) & 0xFF), int((bgr >> 16) & 0xFF));
}

uint32_t BgrFromColor(const QColor &color)
{
    const QColor rgb = color.toRgb();
    return uint32_t(rgb.red()) | uint32_t(rgb.green()) << 8 | uint32_t(rgb.blue()) << 16;
}
