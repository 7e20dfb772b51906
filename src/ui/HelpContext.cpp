#include "ui/HelpContext.h"

#include "model/Declare.h"
#include "platform/HelpViewer.h"

#include "ui/Controls.h"

#include <QApplication>
#include <QKeyEvent>
#include <QTabWidget>
#include <QVariant>
#include <QWidget>

namespace ui {

namespace {

constexpr char ContextProperty[] = "helpContext";

// Watches the keys of one window before its controls see them, as the
// window's own keys are watched, so that F1 works whichever control has the
// focus and is handled once.
class THelpKey : public QObject {
public:
    explicit THelpKey(QWidget *window) : QObject(window), FWindow(window)
    {
        setObjectName("HelpKey");
        qApp->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::KeyPress || static_cast<QKeyEvent *>(event)->key() != Qt::Key_F1 ||
            !IsFirstKeyReceiver(FWindow, watched))
            return false;
        const QWidget *focus = FWindow->focusWidget();
        ShowHelpContext(FWindow, HelpContextAt(focus ? focus : FWindow));
        return true;
    }

private:
    QWidget *FWindow;
};

} // namespace

void SetHelpContext(QWidget *control, int context)
{
    control->setProperty(ContextProperty, context);
}

int HelpContext(const QWidget *control)
{
    return control->property(ContextProperty).toInt();
}

int HelpContextAt(const QWidget *control)
{
    for (const QWidget *at = control; at; at = at->isWindow() ? nullptr : at->parentWidget()) {
        if (const int own = HelpContext(at))
            return own;
        // The focus on a page control's tabs stands for the page on show.
        if (const auto *pages = qobject_cast<const QTabWidget *>(at); pages && pages->currentWidget())
            if (const int page = HelpContext(pages->currentWidget()))
                return page;
    }
    return HelpContents;
}

bool ShowHelpContext(QWidget *parent, int context)
{
    return platform::ShowHelp(parent, model::HelpFile, context);
}

void InstallHelpKey(QWidget *window, int context)
{
    SetHelpContext(window, context);
    new THelpKey(window);
}

} // namespace ui
