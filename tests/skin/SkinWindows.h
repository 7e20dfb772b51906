#pragma once

// What the manager and component tests share: forms of the program's own
// kind, skin components with a ready skin, and a fresh skin manager per test.
#include "skin/RadEzarArov.h"
#include "skin/SkinManage.h"
#include "skin/SkinPacker.h"

#include <QBuffer>
#include <QImage>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace skintest {

// A window of one of the program's own classes, with the tag a form carries.
class TTestForm : public QWidget {
    Q_OBJECT
    Q_PROPERTY(int Tag MEMBER Tag)
public:
    explicit TTestForm(int tag = 0) : Tag(tag) { resize(200, 120); }
    int Tag = 0;
};

// A small package whose description names nothing: enough for a skin that
// loads, is ready, and draws nothing.
inline QByteArray SmallSkinPackage(const QByteArray &name = "Plain")
{
    return skin::PackSkin({{"skin.ini", "[TitlebarSkin]\r\nSkinName=" + name + "\r\n"}});
}

// A component as a form's definition makes it: properties first, then the
// skin stream, then Loaded. An empty stream leaves the skin not ready.
inline skin::TSkinData *StoredComponent(QObject *owner, skin::TSkinData::TSkinFormType type, bool active = false,
                                        const QByteArray &package = SmallSkinPackage())
{
    auto *d = new skin::TSkinData(owner);
    d->SkinFormtype = type;
    d->SetActive(active);
    d->ReadSkinStream(package.isEmpty() ? QByteArray(4, '\0') : skin::SkinStreamOf(package));
    d->Loaded();
    return d;
}

// Handles events until the condition holds; false when it never did.
inline bool WaitFor(const std::function<bool()> &condition, int milliseconds = 5000)
{
    return QTest::qWaitFor(condition, milliseconds);
}

// A picture as the skin packages hold them: a bitmap of three bytes a pixel.
inline QByteArray BmpOf(const QImage &image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.convertToFormat(QImage::Format_RGB888).save(&buffer, "BMP");
    return bytes;
}

// Shows the window and waits until it is the active one.
inline bool ShowActive(QWidget *window)
{
    window->show();
    window->activateWindow();
    return QTest::qWaitForWindowActive(window, 5000);
}

// Each test starts with no manager, so no window has been activated yet, and
// leaves none behind.
class FreshManager : public testing::Test {
protected:
    void SetUp() override { skin::FreeSkinManager(); }
    void TearDown() override { skin::FreeSkinManager(); }

    skin::TSkinManage &Manager() { return *skin::EnsureSkinManager(); }
};

} // namespace skintest
