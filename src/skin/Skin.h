#pragma once

// A loaded skin: every element and colour the painters read. The skin
// component owns one and fills it from a package.
#include "skin/SkinElements.h"

#include <QBrush>
#include <QList>
#include <QString>

#include <array>
#include <memory>
#include <vector>

namespace skin {

// The largest number of pixels a skin's margin, offset or frame count may
// give: far beyond any screen, yet small enough that no painter's sums and
// products of such numbers and window sizes overflow. Loading brings every
// such number into range (margins and frame counts are never negative).
constexpr int32_t MaxSkinExtent = 32767;

class TQuickIni;
class TSkinReader;

class TSkin {
public:
    TSkin();
    TSkin(const TSkin &) = delete;
    TSkin &operator=(const TSkin &) = delete;

    // Fills the skin from a parsed description, taking the pictures it names
    // from the package. Missing sections and keys give defaults, missing or
    // damaged pictures empty images; it never fails. It touches no window, so
    // it may fill a skin apart on another thread.
    void LoadSkinElements(const TQuickIni &Ini, const TSkinReader &Reader);
    // Takes everything a skin filled apart holds, as if this one had been
    // filled: the side borders, the buttons and the title stay the objects
    // they are (windows keep to them) and take the loaded one's contents.
    void TakeFrom(TSkin &&loaded);

    QString SkinName;

    // Always present, refilled by every load.
    std::unique_ptr<TDataSkinBorder> LeftBorder;
    std::unique_ptr<TDataSkinBorder> RightBorder;
    std::unique_ptr<TDataSkinBorder> TopBorder;
    std::unique_ptr<TDataSkinBorder> BottomBorder;
    std::unique_ptr<TDataSkinButton> ButtonData;
    std::unique_ptr<TDataSkinTitle> TitleData;

    TColor WindowTextColor = 0;
    TColor ButtonFaceColor = 0;
    TColor ScrollbarColor = 0;
    TColor HilightTextColor = 0;
    TColor HilightColor = 0;
    TColor MenubarColor = 0;
    TColor MenuColor = 0;
    TColor MenuTextColor = 0;
    TColor ButtonTextColor = 0;
    TColor ButtonHilightColor = 0;
    TColor ButtonLightColor = 0;
    TColor ButtonShadowColor = 0;
    TColor ButtonDkShadowColor = 0;
    TColor MenuBarTextColor = 0;
    TColor TitleTextActiveColor = 0;
    TColor TitleTextNoActiveColor = 0;
    QList<TColor> Colors;
    std::array<TColor, 10> CustomColors{};

    // The caption buttons the description names, then the three buttons of
    // a maximised child window.
    std::vector<std::unique_ptr<TDataSkinSysButton>> TitleButtons;

    // Optional: null when the description gives no picture for them, and
    // such controls are drawn without a skin.
    std::unique_ptr<TDataSkinBorder> Progress;
    std::unique_ptr<TDataSkinObject> MenuBar;
    std::unique_ptr<TDataSkinObject> GroupBoxEdge;
    std::unique_ptr<TDataSkinBoxLabel> GroupBox;
    std::unique_ptr<TDataSkinObject> Toolbars;
    std::unique_ptr<TDataSkinBorder> Tabs;
    std::unique_ptr<TDataSkinObject> StatusBarEdges;
    std::unique_ptr<TDataSkinBorder> ComboButton;
    std::unique_ptr<TDataSkinObject> SunkEdge;
    std::unique_ptr<TDataSkinObject> ExtraImages;
    std::unique_ptr<TDataSkinObject> Headerbar;
    std::unique_ptr<TDataSkinObject> MenuItem;
    std::unique_ptr<TDataSkinObject> MenuBackground;
    std::unique_ptr<TDataSkinObject> Scrollbar;
    std::unique_ptr<TDataSkinObject> HorzScroll;
    std::unique_ptr<TDataSkinObject> VertScroll;
    std::unique_ptr<TDataSkinObject> HorzScrollThumb;
    std::unique_ptr<TDataSkinObject> VertScrollThumb;
    std::unique_ptr<TDataSkinObject> TrackbarThumbHorz;
    std::unique_ptr<TDataSkinObject> TrackbarThumbVert;
    std::unique_ptr<TDataSkinObject> TrackbarThumbLeft;
    std::unique_ptr<TDataSkinObject> TrackbarThumbRight;
    std::unique_ptr<TDataSkinObject> TrackbarThumbUp;
    std::unique_ptr<TDataSkinObject> TrackbarThumbDown;
    std::unique_ptr<TDataSkinBorder> UpDownHorz;
    std::unique_ptr<TDataSkinBorder> UpDownVert;

    QBrush FaceBrush; // solid, of ButtonFaceColor

private:
    TSkin &operator=(TSkin &&) = default;
};

// Helpers of the loading that painters and tests use on their own.
// The colour text rule: "R G B" as decimal numbers.
TColor ColorFromText(const QString &text, TColor Default);
// The package entry an image value names, decoded; null when the value is
// no ".bmp" name, the entry is missing or the picture is damaged.
QImage LoadSkinImage(const TSkinReader &Reader, const QString &value);

} // namespace skin
