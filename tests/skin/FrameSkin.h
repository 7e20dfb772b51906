#pragma once

// A small skin for frame tests: solid borders whose sides have magenta
// corners, and caption buttons whose frames are each one colour, so that a
// pixel tells which frame of which button is drawn; and the fixture that
// shows a window in it.
#include "SkinPictures.h"
#include "SkinWindows.h"
#include "skin/RuzOzodOvez.h"
#include "skin/SkinFrame.h"
#include "skin/SkinPacker.h"

#include <QMenu>
#include <QMouseEvent>
#include <QTest>
#include <QWindow>
#include <gtest/gtest.h>

#include <memory>

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

// A colour as a description writes it: red, green and blue.
inline QByteArray IniColour(QChar letter)
{
    const QRgb c = ColourOf(letter);
    return QByteArray::number(qRed(c)) + ' ' + QByteArray::number(qGreen(c)) + ' ' + QByteArray::number(qBlue(c));
}

// The buttons of a maximised child window, four frames each: minimise,
// restore, close.
constexpr int MdiSize = 10;
constexpr char MdiLetters[] = "ABCDEFGHIJKL";

// The skin's face, on which the windows' texts are drawn in its text colour.
constexpr char FaceLetter = 'F', TextLetter = 'W';

// The skin; another face, and more sections, make a second skin.
inline QByteArray FramePackage(bool round = true, char face = FaceLetter, const QByteArray &more = {})
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
                           "[Colours]\r\nTitleTextActive=255 255 255\r\nTitleTextNoActive=0 0 0\r\nButtonFace=" +
                           IniColour(face) + "\r\nWindowText=" + IniColour(TextLetter) +
                           "\r\n"
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
                           "ButtonImage=help.bmp\r\n"
                           "[MDICONTROLS]\r\nImage=mdi.bmp\r\n" +
                           more;
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
        {"menuitem.bmp", BmpOf(Strip("ih", 12, 12))},
        {"mdi.bmp", BmpOf(Strip(MdiLetters, MdiSize, MdiSize))},
    });
}

constexpr Qt::WindowFlags FullFrame = Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                                      Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint;

// A form shown with the frame skin, and the mouse as it reaches it.
class SkinFrame : public FreshManager {
protected:
    void TearDown() override
    {
        form.reset();
        FreshManager::TearDown();
    }

    // Shows a form of the given client size (or the window given) with the
    // frame skin switched on, and waits for its first layout.
    void Skin(QSize client, bool fixed, bool round = true, Qt::WindowFlags flags = FullFrame,
              std::unique_ptr<QWidget> window = {}, const QString &title = "Frame")
    {
        form = window ? std::move(window) : std::make_unique<TTestForm>();
        form->setWindowFlags(flags);
        form->setWindowTitle(title);
        QPixmap icon(16, 16);
        icon.fill(Qt::darkGreen);
        form->setWindowIcon(QIcon(icon));
        if (fixed)
            form->setFixedSize(client);
        else
            form->resize(client);
        form->move(40, 30);
        // A control placed by hand, as the program's dialogs place theirs.
        placed = new QWidget(form.get());
        placed->setGeometry(10, 10, 20, 20);
        data = StoredComponent(form.get(), skin::TSkinData::sfMainform, true, FramePackage(round));
        ASSERT_TRUE(ShowActive(form.get()));
        skinner = Manager().FindSkinner(form.get());
        ASSERT_NE(skinner, nullptr);
        ASSERT_TRUE(
            WaitFor([&] { return skinner->State == skin::TRuzOzodOvez::StateSkinned && skinner->FirstLayoutSeen; }));
        ASSERT_TRUE(WaitFor([&] { return form->isActiveWindow(); }));
    }

    // The mouse as the window sees it, at a point of the window.
    void Mouse(QEvent::Type type, QPoint at, Qt::MouseButton button = Qt::LeftButton)
    {
        const Qt::MouseButtons held =
            type == QEvent::MouseButtonRelease || type == QEvent::MouseMove ? Qt::MouseButtons() : button;
        QMouseEvent event(type, at, form->mapToGlobal(at), type == QEvent::MouseMove ? Qt::NoButton : button,
                          type == QEvent::MouseMove ? FHeld : held, Qt::NoModifier);
        if (type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick)
            FHeld = button;
        else if (type == QEvent::MouseButtonRelease)
            FHeld = Qt::NoButton;
        QCoreApplication::sendEvent(form.get(), &event);
    }
    void Click(QPoint at)
    {
        Mouse(QEvent::MouseButtonPress, at);
        Mouse(QEvent::MouseButtonRelease, at);
    }
    // A click as the window system delivers it: to the window's native
    // window, from where Qt hands it to an open popup that holds the mouse.
    void SystemClick(QPoint at, Qt::MouseButton button = Qt::LeftButton)
    {
        QTest::mouseClick(form->windowHandle(), button, Qt::NoModifier, at);
    }
    // A click at a point of the window while a menu is open: the menu has
    // the mouse, so the click reaches the menu's window.
    void MenuClick(QMenu *menu, QPoint at)
    {
        QTest::mouseClick(menu->windowHandle(), Qt::LeftButton, Qt::NoModifier,
                          menu->mapFromGlobal(form->mapToGlobal(at)));
    }

    skin::TWinSysButton *Button(const char *name) const
    {
        for (const auto &button : skinner->SysButtons)
            if (button->Element->Name == QLatin1String(name))
                return button.get();
        return nullptr;
    }
    QPoint Centre(const char *name) const { return Button(name)->Rect.center(); }
    QImage Shot() const { return form->grab().toImage(); }
    QChar LetterAt(const char *name) const { return LetterOf(Shot().pixel(Centre(name))); }

    std::unique_ptr<QWidget> form;
    skin::TSkinData *data = nullptr;
    skin::TRuzOzodOvez *skinner = nullptr;
    QWidget *placed = nullptr;

private:
    Qt::MouseButtons FHeld;
};

} // namespace skintest
