#include "skin/SkinColor.h"

#include <QGuiApplication>
#include <QWidget>

#include <array>
#include <optional>

namespace skin {

namespace {

struct Role {
    QPalette::ColorGroup group;
    QPalette::ColorRole role;
};

// The desktop colour scheme's indexes, in order, and the palette colour
// that plays each part here.
constexpr std::array<std::optional<Role>, 31> Scheme = {{
    Role{QPalette::Active, QPalette::Midlight},        // 0 scroll bar
    Role{QPalette::Active, QPalette::Dark},            // 1 desktop
    Role{QPalette::Active, QPalette::Highlight},       // 2 active caption
    Role{QPalette::Inactive, QPalette::Mid},           // 3 inactive caption
    Role{QPalette::Active, QPalette::Window},          // 4 menu
    Role{QPalette::Active, QPalette::Base},            // 5 window
    Role{QPalette::Active, QPalette::Shadow},          // 6 window frame
    Role{QPalette::Active, QPalette::WindowText},      // 7 menu text
    Role{QPalette::Active, QPalette::Text},            // 8 window text
    Role{QPalette::Active, QPalette::HighlightedText}, // 9 caption text
    Role{QPalette::Active, QPalette::Button},          // 10 active border
    Role{QPalette::Inactive, QPalette::Button},        // 11 inactive border
    Role{QPalette::Active, QPalette::Mid},             // 12 application workspace
    Role{QPalette::Active, QPalette::Highlight},       // 13 highlight
    Role{QPalette::Active, QPalette::HighlightedText}, // 14 highlighted text
    Role{QPalette::Active, QPalette::Button},          // 15 button face
    Role{QPalette::Active, QPalette::Dark},            // 16 button shadow
    Role{QPalette::Disabled, QPalette::Text},          // 17 grey text
    Role{QPalette::Active, QPalette::ButtonText},      // 18 button text
    Role{QPalette::Disabled, QPalette::WindowText},    // 19 inactive caption text
    Role{QPalette::Active, QPalette::Light},           // 20 button highlight
    Role{QPalette::Active, QPalette::Shadow},          // 21 dark 3-D shadow
    Role{QPalette::Active, QPalette::Midlight},        // 22 3-D light
    Role{QPalette::Active, QPalette::ToolTipText},     // 23 tool tip text
    Role{QPalette::Active, QPalette::ToolTipBase},     // 24 tool tip background
    std::nullopt,                                      // 25 not used
    Role{QPalette::Active, QPalette::Link},            // 26 hot-tracked item
    Role{QPalette::Active, QPalette::Highlight},       // 27 active caption gradient
    Role{QPalette::Inactive, QPalette::Mid},           // 28 inactive caption gradient
    Role{QPalette::Active, QPalette::Highlight},       // 29 menu highlight
    Role{QPalette::Active, QPalette::Window},          // 30 menu bar
}};

} // namespace

QColor ResolveColor(TColor color)
{
    return ResolveColor(color, QGuiApplication::palette());
}

QColor ResolveColor(TColor color, const QPalette &palette)
{
    if ((color & 0xFF000000u) == 0)
        return QColor(int(color & 0xFF), int(color >> 8 & 0xFF), int(color >> 16 & 0xFF));
    if ((color & 0xFF000000u) != SystemColorBase)
        return {};
    const TColor index = color & 0x00FFFFFFu;
    if (index >= Scheme.size() || !Scheme[index])
        return {};
    return palette.color(Scheme[index]->group, Scheme[index]->role);
}

TKeptPalette TKeptPalette::Keep(QWidget *widget)
{
    return {widget, widget->palette(), widget->testAttribute(Qt::WA_SetPalette)};
}

void TKeptPalette::GiveBack() const
{
    if (Widget)
        Widget->setPalette(Own ? Palette : QPalette());
}

} // namespace skin
