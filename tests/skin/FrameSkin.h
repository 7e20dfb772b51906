#pragma once

// A small skin for frame tests: solid borders whose sides have magenta
// corners, and caption buttons whose frames are each one colour, so that a
// pixel tells which frame of which button is drawn.
#include "SkinPictures.h"
#include "SkinWindows.h"
#include "skin/RuzOzodOvez.h"
#include "skin/SkinFrame.h"
#include "skin/SkinPacker.h"

namespace skintest {

// Frames side by side, each of one letter's colour.
inline QImage Strip(const QString &letters, int width, int height)
{
    QImage image(width * int(letters.size()), height, QImage::Format_RGB32);
    for (int i = 0; i < letters.size(); ++i)
        for (int x = 0; x < width; ++x)
            for (int y = 0; y < height; ++y)
                image.setPixel(i * width + x, y, ColourOf(letters[i]));
    return image;
}

constexpr int FrameSide = 6, FrameTop = 24, FrameBottom = 4, ButtonSize = 14;

// A side of FrameSide x 40 in two frames (active, inactive) with its outer
// corners cut round in magenta when `round`.
inline QImage Side(bool left, bool round)
{
    QImage image = Strip(left ? "Ll" : "Rr", FrameSide, 40);
    if (!round)
        return image;
    for (int frame = 0; frame < 2; ++frame)
        for (int d = 0; d < 3; ++d)
            for (int i = 0; i < 3 - d; ++i) {
                const int x = left ? frame * FrameSide + i : frame * FrameSide + FrameSide - 1 - i;
                image.setPixel(x, d, ColourOf('M'));
                image.setPixel(x, 39 - d, ColourOf('M'));
            }
    return image;
}

// The title bar's frames stacked: active above, inactive below.
inline QImage TopPicture()
{
    QImage image(40, FrameTop * 2, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < 40; ++x)
            image.setPixel(x, y, ColourOf(y < FrameTop ? 'T' : 't'));
    return image;
}

inline QByteArray FramePackage(bool round = true)
{
    const QByteArray trans = round ? "1" : "0";
    const QByteArray ini = "[TitlebarSkin]\r\nSkinName=Frame test\r\n"
                           "[Personality]\r\n"
                           "Top=top.bmp\r\nTopFrame=2\r\nTopStretch=1\r\nTopTrans=0\r\n"
                           "Bottom=bottom.bmp\r\nBottomFrame=2\r\nBottomStretch=1\r\nBottomTrans=0\r\n"
                           "Left=left.bmp\r\nLeftFrame=2\r\nLeftStretch=1\r\nLeftTrans=" +
                           trans +
                           "\r\nLeftTopHeight=8\r\nLeftBotHeight=8\r\n"
                           "Right=right.bmp\r\nRightFrame=2\r\nRightStretch=1\r\nRightTrans=" +
                           trans +
                           "\r\nRightTopHeight=8\r\nRightBotHeight=8\r\n"
                           "TextShift=30\r\nTextRightClip=80\r\nTextAlignment=0\r\n"
                           "[Colours]\r\nTitleTextActive=255 255 255\r\nTitleTextNoActive=0 0 0\r\n"
                           "[ButtonClose]\r\nAction=0\r\nAlign=1\r\nXcoord=20\r\nYcoord=5\r\nframe=4\r\n"
                           "ButtonImage=close.bmp\r\n"
                           "[ButtonMax]\r\nAction=1\r\nAlign=1\r\nXcoord=38\r\nYcoord=5\r\nframe=4\r\n"
                           "ButtonImage=max.bmp\r\nVisibility=2\r\n"
                           "[ButtonRestore]\r\nAction=1\r\nAlign=1\r\nXcoord=38\r\nYcoord=5\r\nframe=4\r\n"
                           "ButtonImage=restore.bmp\r\nVisibility=1\r\n"
                           "[ButtonMin]\r\nAction=2\r\nAlign=1\r\nXcoord=56\r\nYcoord=5\r\nframe=2\r\n"
                           "ButtonImage=min.bmp\r\n"
                           "[ButtonSysMenu]\r\nAction=3\r\nAlign=0\r\nXcoord=4\r\nYcoord=4\r\n"
                           "[ButtonLamp]\r\nAction=-1\r\nVisibility=0\r\nVisibility1=3\r\nAlign=0\r\nXcoord=22\r\n"
                           "Ycoord=5\r\nframe=1\r\nButtonImage=lamp.bmp\r\n"
                           "[ButtonHelp]\r\nAction=5\r\nAlign=0\r\nXcoord=130\r\nYcoord=5\r\nframe=4\r\n"
                           "ButtonImage=help.bmp\r\n";
    return skin::PackSkin({
        {"skin.ini", ini},
        {"top.bmp", BmpOf(TopPicture())},
        {"bottom.bmp", BmpOf(Strip("B", 40, FrameBottom * 2))},
        {"left.bmp", BmpOf(Side(true, round))},
        {"right.bmp", BmpOf(Side(false, round))},
        {"close.bmp", BmpOf(Strip("1234", ButtonSize, ButtonSize))},
        {"max.bmp", BmpOf(Strip("abcd", ButtonSize, ButtonSize))},
        {"restore.bmp", BmpOf(Strip("efgh", ButtonSize, ButtonSize))},
        {"min.bmp", BmpOf(Strip("mn", ButtonSize, ButtonSize))},
        {"lamp.bmp", BmpOf(Strip("o", 8, 8))},
        {"help.bmp", BmpOf(Strip("wxyz", ButtonSize, ButtonSize))},
    });
}

} // namespace skintest
