#pragma once

#include <QApplication>
#include <functional>

namespace platform {

// The application object: an exception escaping any event handler is shown
// in a message box and the event loop carries on.
class Application : public QApplication {
public:
    Application(int &argc, char **argv);
    bool notify(QObject *receiver, QEvent *event) override;

    // Shows the message the way the top-level handler does. Tests replace
    // the presenter to see what would have been shown.
    static void ShowException(const QString &message);
    using Presenter = std::function<void(const QString &)>;
    static void SetPresenter(Presenter presenter);
};

// Runs fn; an exception it throws is shown like the top-level handler does.
// Returns false when fn threw.
bool RunGuarded(const std::function<void()> &fn);

} // namespace platform
