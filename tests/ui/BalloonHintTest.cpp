// Balloon hints: which controls show one and what it shows, that it never
// takes the focus or a click, and what puts it away.
#include "AnalyseFixture.h"

#include "ui/About.h"
#include "ui/BalloonHint.h"

#include <QPushButton>
#include <QSignalSpy>

namespace {

class BalloonHints : public AnalyserTest {
protected:
    TBalloonHint *hints = nullptr;

    void OpenMain()
    {
        Open();
        w->show();
        w->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
        hints = w->findChild<TBalloonHint *>("JvBalloonHint1");
        ASSERT_NE(hints, nullptr);
    }

    // The mouse rests on control: the application asks it for its hint.
    static void Rest(QWidget *control, QPoint at = {-1, -1})
    {
        if (at == QPoint(-1, -1))
            at = control->rect().center();
        QHelpEvent event(QEvent::ToolTip, at, control->mapToGlobal(at));
        QCoreApplication::sendEvent(control, &event);
    }

    static void Mouse(QWidget *control, QEvent::Type type, QPoint global, Qt::MouseButton button = Qt::LeftButton)
    {
        const QPoint local = control->mapFromGlobal(global);
        const Qt::MouseButtons held = type == QEvent::MouseButtonPress ? Qt::MouseButtons(button) : Qt::NoButton;
        QMouseEvent event(type, local, global, type == QEvent::MouseMove ? Qt::NoButton : button, held, {});
        QCoreApplication::sendEvent(control, &event);
    }

    // A click as the window system delivers it while the balloon lies over
    // the spot: to the control under it, at that place on the screen.
    static void ClickAt(QWidget *control, QPoint global)
    {
        Mouse(control, QEvent::MouseButtonPress, global);
        Mouse(control, QEvent::MouseButtonRelease, global);
    }
};

} // namespace

TEST_F(BalloonHints, ShowTheHintUnderTheHeaderWithTheSignAndACloseBox)
{
    Store("Language", 2);
    OpenMain();
    struct Case {
        QWidget *control;
        QStringList lines;
    };
    const Case cases[] = {
        {w->SwMode, {"Cliquez pour basculer entre", "le mode Accords et le mode Gammes"}},
        {w->ImgPartition, {"Cliquer pour changer de clef"}},
        {w->BtnListen, {"Jouer l'accord"}},
        {w->RenversementUp, {"Appuyez pour montrer en mode renversé,", "relachez pour le mode normal."}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.control->objectName().toStdString());
        Rest(c.control);
        ASSERT_TRUE(hints->IsShown());
        EXPECT_EQ(hints->Control(), c.control);
        TBalloonWindow *balloon = hints->Balloon();
        EXPECT_EQ(balloon->Header(), "Harmonova!");
        EXPECT_EQ(balloon->Lines(), c.lines);
        EXPECT_TRUE(c.control->toolTip().isEmpty()) << "no plain tool tip besides";
        // It points at the mouse, from just below it.
        const QPoint mouse = c.control->mapToGlobal(c.control->rect().center());
        EXPECT_EQ(balloon->Tip().x(), mouse.x());
        EXPECT_GT(balloon->Tip().y(), mouse.y());
        EXPECT_LE(balloon->Tip().y() - mouse.y(), 5);
        EXPECT_FALSE(balloon->geometry().contains(mouse));
    }

    // The drawing: the blue information sign at the left of the header, the
    // cross of the close box at the right.
    const QImage picture = hints->Balloon()->grab().toImage();
    const QRect close = hints->Balloon()->CloseBoxRect().translated(-hints->Balloon()->pos());
    int blue = 0;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < close.left() / 3; ++x)
            blue += picture.pixelColor(x, y).blue() > 150 && picture.pixelColor(x, y).red() < 120;
    EXPECT_GT(blue, 40);
    int cross = 0;
    for (int y = close.top(); y <= close.bottom(); ++y)
        for (int x = close.left(); x <= close.right(); ++x)
            cross += picture.pixelColor(x, y).lightness() < 140;
    EXPECT_GT(cross, 8);
}

TEST_F(BalloonHints, ComeOnlyFromControlsThatShowAHint)
{
    OpenMain();
    Rest(Key(15)); // a key: none, and none of the panel it lies on
    EXPECT_FALSE(hints->IsShown());
    Rest(w->Panel2);
    EXPECT_FALSE(hints->IsShown());

    // The analysis window's buttons show theirs; its lamps keep theirs.
    TFormAnalyse *a = NewWindow();
    Rest(a->BtnChord);
    ASSERT_TRUE(hints->IsShown());
    EXPECT_EQ(hints->Balloon()->Lines(), QStringList{"Find the chord"});
    hints->Hide();
    for (QWidget *lamp : {static_cast<QWidget *>(a->LedIn), static_cast<QWidget *>(a->LedOut)}) {
        Rest(lamp);
        EXPECT_FALSE(hints->IsShown());
    }

    // So do the about box's links and button.
    TAboutBox about(w.get());
    Rest(about.BtnVersion);
    ASSERT_TRUE(hints->IsShown());
    EXPECT_EQ(hints->Control(), about.BtnVersion);
    EXPECT_TRUE(about.BtnVersion->toolTip().isEmpty());
    hints->Hide();
}

TEST_F(BalloonHints, NeverTakeTheFocus)
{
    OpenMain();
    QWidget *focusBefore = QApplication::focusWidget();
    QWidget *activeBefore = QApplication::activeWindow();
    Rest(w->BtnAccord);
    ASSERT_TRUE(hints->IsShown());
    TBalloonWindow *balloon = hints->Balloon();
    EXPECT_TRUE(balloon->testAttribute(Qt::WA_ShowWithoutActivating));
    EXPECT_TRUE(balloon->windowFlags().testFlag(Qt::WindowDoesNotAcceptFocus));
    EXPECT_EQ(balloon->focusPolicy(), Qt::NoFocus);
    EXPECT_EQ(QApplication::focusWidget(), focusBefore);
    EXPECT_EQ(QApplication::activeWindow(), activeBefore);
    EXPECT_FALSE(balloon->isActiveWindow());

    // The keys still reach the window, and the balloon goes.
    QTest::keyClick(w.get(), Qt::Key_E);
    EXPECT_FALSE(hints->IsShown());
    EXPECT_EQ(w->LabelChord->text(), "E, EMajor, EM");
}

TEST_F(BalloonHints, LetEveryClickThroughButOnTheirCloseBox)
{
    OpenMain();
    // The window system sends clicks past the balloon to what lies under it.
    Rest(w->BtnAccordUp);
    TBalloonWindow *balloon = hints->Balloon();
    EXPECT_TRUE(balloon->windowFlags().testFlag(Qt::WindowTransparentForInput));
    EXPECT_TRUE(balloon->testAttribute(Qt::WA_TransparentForMouseEvents));

    // A click on the staff where the balloon lies over it changes the clef.
    const uint8_t clef = Clef;
    const QRect staff(w->ImgPartition->mapToGlobal(QPoint(0, 0)), w->ImgPartition->size());
    const QRect over = staff.intersected(balloon->geometry());
    ASSERT_FALSE(over.isEmpty()) << "the balloon lies over the staff";
    ClickAt(w->ImgPartition, over.center());
    EXPECT_FALSE(hints->IsShown());
    EXPECT_NE(Clef, clef);

    // A click on its close box only closes it.
    Rest(w->BtnAccordUp);
    ASSERT_TRUE(hints->IsShown());
    const QPoint closeBox = balloon->CloseBoxRect().center();
    QWidget *under = QApplication::widgetAt(closeBox);
    if (!under || under->window() != w.get())
        under = w->ImgPartition;
    const uint8_t clefBefore = Clef;
    QSignalSpy clicks(w->ImgPartition, &TImage::OnClick);
    ClickAt(under, closeBox);
    EXPECT_FALSE(hints->IsShown());
    EXPECT_EQ(Clef, clefBefore);
    EXPECT_EQ(clicks.count(), 0);
    // The next click is the control's again.
    ClickAt(w->ImgPartition, staff.center());
    EXPECT_EQ(clicks.count(), 1);
}

TEST_F(BalloonHints, GoAwayWhenTheMouseLeavesTheControlAndTheBalloon)
{
    OpenMain();
    Rest(w->BtnAccordUp);
    TBalloonWindow *balloon = hints->Balloon();
    const QPoint onControl = w->BtnAccordUp->mapToGlobal(QPoint(2, 2));
    // Over the control, from the mouse down to the tip, and over the balloon
    // toward its close box: it stays.
    for (const QPoint at :
         {onControl, balloon->Tip(), balloon->geometry().center(), balloon->CloseBoxRect().center()}) {
        Mouse(w.get(), QEvent::MouseMove, at);
        EXPECT_TRUE(hints->IsShown()) << at.x() << "," << at.y();
    }
    Mouse(w.get(), QEvent::MouseMove, w->TntLabel1->mapToGlobal(w->TntLabel1->rect().center()));
    EXPECT_FALSE(hints->IsShown());
}

TEST_F(BalloonHints, GoAwayOnTheirOwnAndWithTheirControlOrWindow)
{
    OpenMain();
    struct Case {
        const char *what;
        std::function<void()> act;
    };
    const Case cases[] = {
        {"after a while",
         [this] {
             hints->setHideAfter(30);
             Rest(w->SwMode);
             ASSERT_TRUE(hints->IsShown());
             EXPECT_TRUE(QTest::qWaitFor([this] { return !hints->IsShown(); }, 5000));
             hints->setHideAfter(10000);
         }},
        {"the control is hidden",
         [this] {
             Rest(w->BtnAccordUp);
             w->BtnAccordUp->hide();
             EXPECT_FALSE(hints->IsShown());
             w->BtnAccordUp->show();
         }},
        {"the window is left",
         [this] {
             Rest(w->BtnAccordUp);
             QEvent leave(QEvent::WindowDeactivate);
             QCoreApplication::sendEvent(w.get(), &leave);
             EXPECT_FALSE(hints->IsShown());
         }},
        {"the wheel turns",
         [this] {
             Rest(w->ImgPartition);
             const QPointF at = w->ChordName->viewport()->rect().center();
             QWheelEvent wheel(at, w->ChordName->viewport()->mapToGlobal(at), {}, {0, -120}, Qt::NoButton, {},
                               Qt::NoScrollPhase, false);
             QCoreApplication::sendEvent(w->ChordName->viewport(), &wheel);
             EXPECT_FALSE(hints->IsShown());
         }},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        c.act();
    }
}

TEST_F(BalloonHints, StayOnTheScreenNearItsEdges)
{
    OpenMain();
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    // The mouse near the bottom right corner: the balloon opens above it and
    // slides left, its tip still at the mouse.
    const QPoint corner = screen.bottomRight() - QPoint(3, 3);
    hints->ShowFor(w->SwMode, corner);
    const QRect balloon = hints->Balloon()->geometry();
    EXPECT_TRUE(screen.contains(balloon)) << balloon.x() << "," << balloon.y();
    EXPECT_LT(balloon.bottom(), corner.y());
    EXPECT_EQ(hints->Balloon()->Tip().x(), corner.x());
}
