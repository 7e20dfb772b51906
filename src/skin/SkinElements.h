#pragma once

// The skin elements: each an image cut into frames side by side and fixed
// margins, with a few numbers and colours that say how it is drawn.
#include "skin/SkinColor.h"

#include <QImage>
#include <QString>

#include <cstdint>

namespace skin {

class TDataSkinObject {
public:
    explicit TDataSkinObject(const QString &name) : Name(name) {}
    virtual ~TDataSkinObject() = default;
    TDataSkinObject(const TDataSkinObject &) = delete;
    TDataSkinObject &operator=(const TDataSkinObject &) = delete;
    // An element of a skin read apart hands its contents over to the same
    // element of the skin in force.
    TDataSkinObject &operator=(TDataSkinObject &&) = default;

    int32_t LeftWidth = 0;
    int32_t TopHeight = 0;
    int32_t RightWidth = 0;
    int32_t BottomHeight = 0;
    QImage Image;      // frames side by side; null when the skin has none
    int32_t Trans = 0; // 1: magenta is transparent
    int32_t Tile = 0;  // 1: tile the middle, 0: stretch it
    QString Name;
    int32_t FrameCount = 0;
    int32_t Style = 0;
    int32_t NormalColour = 0; // text colours; -1 for none
    int32_t MouseOverColour = 0;
    int32_t PressedColour = 0;
    TColor NormalColour2 = 0;
    TColor MouseOverColour2 = 0;
    TColor PressedColour2 = 0;
};

class TDataSkinBorder : public TDataSkinObject {
public:
    using TDataSkinObject::TDataSkinObject;
    QImage Image2;
};

class TDataSkinButton : public TDataSkinObject {
public:
    using TDataSkinObject::TDataSkinObject;
    QImage CheckImage;
    QImage RadioImage;
    int32_t RadioButtonFrame = 0;
    int32_t CheckButtonFrame = 0;
    bool HasNormalColour2 = false;
    bool HasMouseOverColour2 = false;
    bool HasPressedColour2 = false;
};

// A caption button.
class TDataSkinSysButton : public TDataSkinObject {
public:
    using TDataSkinObject::TDataSkinObject;
    int32_t Action = 0;
    int32_t Align = 0;
    int32_t XCoord = 0;
    int32_t YCoord = 0;
    int32_t CombineOp = 0;
    int32_t Visibility = 0;
    int32_t Visibility1 = 0;
};

// The caption's text background. The margins carry the text's placement.
class TDataSkinTitle : public TDataSkinObject {
public:
    using TDataSkinObject::TDataSkinObject;
    int32_t &TextShift() { return LeftWidth; }
    int32_t &TextShiftVert() { return TopHeight; }
    int32_t &TextRightClip() { return RightWidth; }
    int32_t TextShift() const { return LeftWidth; }
    int32_t TextShiftVert() const { return TopHeight; }
    int32_t TextRightClip() const { return RightWidth; }

    int32_t TextAlignment = 0;
    int32_t Textbackground = 0;
    int32_t FontHeight = 0;
    int32_t TXTBackleft = 0;
    int32_t TXTBackRight = 0;
    TColor ActiveTextColor = 0;
    TColor InActiveTextColor = 0;
};

class TDataSkinBoxLabel : public TDataSkinObject {
public:
    using TDataSkinObject::TDataSkinObject;
    int32_t BackgroundLeftShift = 0;
    int32_t BackgroundRightShift = 0;
    int32_t BackgroundAlignment = 0;
};

} // namespace skin
