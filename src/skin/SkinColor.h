#pragma once

// Skin colours are 32-bit values: R + 256 * G + 65536 * B, or FF000000 plus
// an index of the desktop's colour scheme, which is looked up only when
// drawing, so a skin follows the application's palette.
#include <QColor>
#include <QPalette>
#include <QPointer>

#include <cstdint>

class QWidget;

namespace skin {

using TColor = uint32_t;

constexpr TColor SystemColorBase = 0xFF000000u;
constexpr TColor NoColor = 0x1FFFFFFFu;

// The scheme's indexes the skin's defaults name.
enum TSystemColorIndex : int {
    COLOR_SCROLLBAR = 0,
    COLOR_MENU = 4,
    COLOR_MENUTEXT = 7,
    COLOR_WINDOWTEXT = 8,
    COLOR_CAPTIONTEXT = 9,
    COLOR_HIGHLIGHT = 13,
    COLOR_HIGHLIGHTTEXT = 14,
    COLOR_BTNFACE = 15,
    COLOR_BTNSHADOW = 16,
    COLOR_BTNTEXT = 18,
    COLOR_INACTIVECAPTIONTEXT = 19,
    COLOR_BTNHIGHLIGHT = 20,
    COLOR_3DDKSHADOW = 21,
};

constexpr TColor SystemColor(int index)
{
    return SystemColorBase + TColor(index);
}

constexpr TColor RgbColor(int red, int green, int blue)
{
    return TColor(red & 0xFF) | TColor(green & 0xFF) << 8 | TColor(blue & 0xFF) << 16;
}

// The colour to paint with: an RGB colour as it is, a scheme colour from
// the palette (the application's unless one is given). Anything else, such
// as NoColor or -1, gives an invalid QColor: "no colour".
QColor ResolveColor(TColor color);
QColor ResolveColor(TColor color, const QPalette &palette);

// A widget's colours before the skin changed some of them, to be given back:
// a widget that had no palette of its own inherits its parent's again.
struct TKeptPalette {
    QPointer<QWidget> Widget;
    QPalette Palette;
    bool Own = false;

    static TKeptPalette Keep(QWidget *widget);
    void GiveBack() const;
};

} // namespace skin
