#include "platform/ErrorHandler.h"

#include "platform/Exception.h"

#include <QMessageBox>

namespace platform {

namespace {
Application::Presenter &presenter()
{
    static Application::Presenter p;
    return p;
}
} // namespace

Application::Application(int &argc, char **argv) : QApplication(argc, argv) {}

bool Application::notify(QObject *receiver, QEvent *event)
{
    bool handled = false;
    RunGuarded([&] { handled = QApplication::notify(receiver, event); });
    return handled;
}

void Application::ShowException(const QString &message)
{
    if (presenter()) {
        presenter()(message);
        return;
    }
    QMessageBox box(QMessageBox::Critical, QApplication::applicationName(), message, QMessageBox::Ok);
    box.exec();
}

void Application::SetPresenter(Presenter p)
{
    presenter() = std::move(p);
}

bool RunGuarded(const std::function<void()> &fn)
{
    try {
        fn();
        return true;
    } catch (const Exception &e) {
        Application::ShowException(e.Message());
    } catch (const std::exception &e) {
        Application::ShowException(QString::fromUtf8(e.what()));
    }
    return false;
}

} // namespace platform
