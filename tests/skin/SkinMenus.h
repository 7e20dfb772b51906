#pragma once

// What the menu tests share: a skin whose menu pictures are plain blocks of
// colours one can tell apart, a form with a menu bar, and a window skinner
// attached to it the way the manager attaches one.
#include "SkinWindows.h"
#include "skin/RuzOzodOvez.h"
#include "skin/SkinMenuBar.h"
#include "skin/SkinMenuItem.h"

#include <QApplication>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>

namespace skintest {

// Colours of the menu pictures.
inline const QRgb ItemNormal = qRgb(40, 90, 40);     // MenuItem frame 1
inline const QRgb ItemSeparator = qRgb(200, 60, 60); // the line in frame 2
inline const QRgb ItemSelected = qRgb(30, 60, 160);  // MenuItem frame 4
inline const QRgb ItemOther = qRgb(90, 90, 90);      // frames 3 and 5
inline const QRgb PopupEdge = qRgb(150, 150, 20);    // MenuBackground's 3-pixel rim
inline const QRgb PopupMiddle = qRgb(20, 20, 30);    // MenuBackground's middle
inline const QRgb BarActive = qRgb(70, 20, 70);      // MenuBar frame 1
inline const QRgb BarInactive = qRgb(20, 70, 70);    // MenuBar frame 2
inline const QRgb KeyMagenta = qRgb(255, 0, 255);

// Five frames of 30 x 20 side by side; frame 2 is magenta but for its
// bottom 4 rows, the separator's line.
inline QImage MenuItemPicture()
{
    const int fw = 30, h = 20;
    QImage image(5 * fw, h, QImage::Format_RGB32);
    const QRgb frames[5] = {ItemNormal, KeyMagenta, ItemOther, ItemSelected, ItemOther};
    for (int f = 0; f < 5; ++f)
        for (int x = 0; x < fw; ++x)
            for (int y = 0; y < h; ++y)
                image.setPixel(f * fw + x, y, f == 1 && y >= h - 4 ? ItemSeparator : frames[f]);
    return image;
}

inline QImage MenuBackgroundPicture()
{
    QImage image(20, 20, QImage::Format_RGB32);
    image.fill(PopupEdge);
    for (int x = 3; x < 17; ++x)
        for (int y = 3; y < 17; ++y)
            image.setPixel(x, y, PopupMiddle);
    return image;
}

// Two frames stacked: active over inactive.
inline QImage MenuBarPicture()
{
    QImage image(12, 40, QImage::Format_RGB32);
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 12; ++x)
            image.setPixel(x, y, y < 20 ? BarActive : BarInactive);
    return image;
}

struct MenuSkinOptions {
    bool menuItem = true;
    bool menuBackground = true;
    bool menuBar = true;
    bool buttons = false; // tool-bar button faces: the menu item's five frames
    int leftWidth = 0;
    QByteArray buttonShadow = "128 128 128";
    QByteArray menuText = "230 230 230";
};

// Menu text, highlighted text, bar text and the menu colour of the skin.
inline const QRgb MenuTextRgb = qRgb(230, 230, 230);
inline const QRgb HilightTextRgb = qRgb(255, 255, 0);
inline const QRgb BarTextRgb = qRgb(250, 240, 200);
inline const QRgb MenuColourRgb = qRgb(10, 60, 110);
inline const QRgb BarColourRgb = qRgb(60, 60, 60);
inline const QRgb ShadowRgb = qRgb(128, 128, 128);

inline QByteArray MenuSkinPackage(const MenuSkinOptions &o = {})
{
    QByteArray ini = "[TitlebarSkin]\r\nSkinName=Menus\r\n[Personality]\r\n";
    if (o.menuBar)
        ini += "menuBar=menubar.bmp\r\nTileMenu=0\r\nTileLeftMenu=5\r\nTileRightMenu=2\r\n";
    ini += "[Colours]\r\nMenu=10 60 110\r\nMenuText=" + o.menuText +
           "\r\nHilightText=255 255 0\r\nHilight=0 0 128\r\n"
           "ButtonShadow=" +
           o.buttonShadow +
           "\r\nMenuBarText=250 240 200\r\nMenubar=60 60 60\r\n"
           "ButtonHilight=255 255 255\r\n";
    if (o.menuItem)
        ini +=
            "[MenuItem]\r\nImage=menuitem.bmp\r\nLeftWidth=" + QByteArray::number(o.leftWidth) + "\r\nRightWidth=2\r\n";
    if (o.menuBackground)
        ini += "[MenuBackground]\r\nImage=menuback.bmp\r\nLeftWidth=3\r\nTopHeight=3\r\nRightWidth=3\r\n"
               "BottomHeight=3\r\n";
    if (o.buttons)
        ini += "[Buttons]\r\nBitmap=menuitem.bmp\r\n";
    return skin::PackSkin({{"skin.ini", ini},
                           {"menuitem.bmp", BmpOf(MenuItemPicture())},
                           {"menuback.bmp", BmpOf(MenuBackgroundPicture())},
                           {"menubar.bmp", BmpOf(MenuBarPicture())}});
}

// Hard-edged text, so that a text's pixels have exactly its colour.
class CrispMenuFonts {
public:
    CrispMenuFonts()
    {
        for (const char *cls : {"QMenu", "QMenuBar"}) {
            QFont font = QApplication::font(cls);
            font.setStyleStrategy(QFont::NoAntialias);
            font.setPixelSize(12);
            QApplication::setFont(font, cls);
        }
    }
    ~CrispMenuFonts()
    {
        QApplication::setFont(QApplication::font(), "QMenu");
        QApplication::setFont(QApplication::font(), "QMenuBar");
    }
};

// The main window's kind of form: a menu bar of top menus. With extras it
// also has a top item with no caption, a hidden one and one without a menu.
class TMenuForm : public QMainWindow {
    Q_OBJECT
    Q_PROPERTY(int Tag MEMBER Tag)
public:
    explicit TMenuForm(bool extras = false)
    {
        setObjectName("MenuForm");
        QMenuBar *bar = menuBar();
        Tools = bar->addMenu("Tools...");
        Tools->setObjectName("ToolsPopup");
        Analysis = Tools->addAction("Chord analysis...");
        More = Tools->addMenu("More");
        More->setObjectName("MorePopup");
        More->addAction("Progressions...");
        Tools->addSeparator();
        Tools->addAction("Setup...");
        if (extras) {
            Empty = bar->addAction(QString());
            Hidden = bar->addAction("Hidden");
            Hidden->setVisible(false);
            Go = bar->addAction("Go");
        } else {
            Edit = bar->addMenu("Edit");
            Edit->setObjectName("EditPopup");
            Edit->addAction("Copy");
        }
        What = bar->addMenu("?");
        What->setObjectName("WhatPopup");
        What->addAction("Help");
        What->addAction("About");
        setCentralWidget(new QWidget(this));
        resize(400, 300);
    }
    int Tag = 0;
    QMenu *Tools;
    QMenu *More;
    QMenu *Edit = nullptr;
    QMenu *What;
    QAction *Analysis;
    QAction *Empty = nullptr;
    QAction *Hidden = nullptr;
    QAction *Go = nullptr;
};

inline bool HasColour(const QImage &image, QRgb colour, const QRect &area = QRect())
{
    const QRect r = area.isNull() ? image.rect() : area.intersected(image.rect());
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            if ((image.pixel(x, y) & 0xFFFFFF) == (colour & 0xFFFFFF))
                return true;
    return false;
}

} // namespace skintest
