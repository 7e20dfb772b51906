// The main window with its skin switched on, the drawn menu bar left out:
// the controls take the skin, everything else looks as before, and
// switching the skin off gives every control its own colours and style back.
#include "SkinProgramFixture.h"

#include "skin/RadEzarArov.h"
#include "skin/RuzOzodOvez.h"
#include "skin/SkinControl.h"
#include "skin/SkinManage.h"
#include "skin/SkinPackage.h"
#include "ui/Startup.h"

#include <QComboBox>
#include <QGroupBox>
#include <QMenuBar>
#include <QStatusBar>

#include <map>

namespace {

class SkinMain : public SkinProgramTest {};

struct TLook {
    QPalette palette;
    bool ownPalette;
    bool autoFill;
    QStyle *style;
    bool operator==(const TLook &o) const
    {
        return palette == o.palette && ownPalette == o.ownPalette && autoFill == o.autoFill && style == o.style;
    }
};

std::map<QWidget *, TLook> Looks(QWidget *window)
{
    std::map<QWidget *, TLook> looks;
    QList<QWidget *> widgets = window->findChildren<QWidget *>();
    widgets << window;
    for (QWidget *w : widgets)
        looks[w] = {w->palette(), w->testAttribute(Qt::WA_SetPalette), w->autoFillBackground(), w->style()};
    return looks;
}

QString KindOf(skin::TRuzOzodOvez *skinner, const QWidget *w)
{
    for (const QPointer<skin::TSkinControl> &s : skinner->Skinners)
        if (s && (s->Control == w || s->Handle == w || s->GraphicControl == w))
            return QString::fromLatin1(s->metaObject()->className()).section("::", -1);
    return "none";
}

TEST_F(SkinMain, ControlsTakeTheSkinAndSwitchingItOffGivesEveryColourBack)
{
    program = std::make_unique<ui::TProgramWindows>();
    TFormMain &main = program->FormMain();
    skin::TSkinData *data = main.SkinData1;
    ASSERT_NE(data, nullptr);
    if (!data->SkinReady())
        data->ReadSkinStream(skin::EmbeddedSkinStream());
    ASSERT_TRUE(data->SkinReady());
    data->SkinControls.remove(skin::xcMainMenu);

    main.show();
    main.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&main));
    const std::map<QWidget *, TLook> before = Looks(&main);
    const QImage keyboardBefore = main.ImgClavier->grab().toImage();

    data->SetActive(true);
    skin::TSkinManage *manager = skin::SkinManager;
    ASSERT_TRUE(QTest::qWaitFor([&] { return manager->FindSkinner(&main) != nullptr; }, 10000));
    skin::TRuzOzodOvez *skinner = manager->FindSkinner(&main);
    EXPECT_EQ(skinner->Form, &main);
    EXPECT_EQ(skinner->State, skin::TRuzOzodOvez::StateSkinned);

    const struct {
        QWidget *control;
        const char *kind;
    } table[] = {{main.Panel2, "TSkinBox"},          {main.GroupPlayBack, "TSkinGroupBox"},
                 {main.ComboChord, "TSkinComBox"},   {main.ChordName, "TSkinScrollbar"},
                 {main.StatusBar, "TSkinStatusBar"}, {main.BtnListen, "none"},
                 {main.LabelChord, "none"},          {main.ImgClavier, "none"}};
    for (const auto &row : table)
        EXPECT_EQ(KindOf(skinner, row.control), row.kind) << row.control->objectName().toStdString();
    // The client area takes the skin's face colour; the menu bar stays the
    // window's own, and so do the keyboard's pictures.
    EXPECT_EQ(main.ClientArea->palette().color(QPalette::Window), skin::ResolveColor(data->Skin.ButtonFaceColor));
    EXPECT_TRUE(main.menuBar()->isVisible());
    EXPECT_EQ(main.menuBar()->style(), before.at(main.menuBar()).style);
    EXPECT_EQ(main.ImgClavier->grab().toImage(), keyboardBefore);

    data->SetActive(false);
    ASSERT_TRUE(QTest::qWaitFor([&] { return manager->FindSkinner(&main) == nullptr; }, 10000));
    const std::map<QWidget *, TLook> after = Looks(&main);
    for (const auto &[widget, look] : before) {
        ASSERT_TRUE(after.count(widget)) << widget->objectName().toStdString();
        EXPECT_TRUE(after.at(widget) == look)
            << widget->metaObject()->className() << " " << widget->objectName().toStdString();
    }
    EXPECT_EQ(main.ImgClavier->grab().toImage(), keyboardBefore);
}

} // namespace
