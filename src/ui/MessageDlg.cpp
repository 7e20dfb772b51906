#include "ui/MessageDlg.h"

#include <QAbstractButton>
#include <QMessageBox>

namespace ui {

namespace {

TMessagePresenter &Presenter()
{
    static TMessagePresenter presenter;
    return presenter;
}

TConfirmPresenter &ConfirmPresenter()
{
    static TConfirmPresenter presenter;
    return presenter;
}

QMessageBox::Icon IconOf(TMsgDlgType type)
{
    switch (type) {
    case TMsgDlgType::Warning:
        return QMessageBox::Warning;
    case TMsgDlgType::Error:
        return QMessageBox::Critical;
    case TMsgDlgType::Information:
        return QMessageBox::Information;
    case TMsgDlgType::Confirmation:
        return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

} // namespace

QString MessageCaption(TMsgDlgType type)
{
    switch (type) {
    case TMsgDlgType::Warning:
        return QStringLiteral("Avertissement");
    case TMsgDlgType::Error:
        return QStringLiteral("Erreur");
    case TMsgDlgType::Information:
        return QStringLiteral("Information");
    case TMsgDlgType::Confirmation:
        return QStringLiteral("Confirmation");
    }
    return QString();
}

void MessageDlg(QWidget *parent, TMsgDlgType type, const QString &text)
{
    const QString caption = MessageCaption(type);
    if (Presenter()) {
        Presenter()(caption, text);
        return;
    }
    QMessageBox box(IconOf(type), caption, text, QMessageBox::Ok, parent);
    box.button(QMessageBox::Ok)->setText(QStringLiteral("OK"));
    box.exec();
}

void ShowMessage(QWidget *parent, const QString &text)
{
    const QString caption = QStringLiteral("Harmonova");
    QString lines = text;
    lines.replace(QLatin1String("\r\n"), QLatin1String("\n")).replace('\r', '\n');
    if (Presenter()) {
        Presenter()(caption, lines);
        return;
    }
    QMessageBox box(QMessageBox::NoIcon, caption, lines, QMessageBox::Ok, parent);
    box.button(QMessageBox::Ok)->setText(QStringLiteral("OK"));
    box.exec();
}

void SetMessagePresenter(TMessagePresenter presenter)
{
    Presenter() = std::move(presenter);
}

bool ConfirmDlg(QWidget *parent, const QString &text)
{
    const QString caption = MessageCaption(TMsgDlgType::Confirmation);
    if (ConfirmPresenter())
        return ConfirmPresenter()(caption, text);
    QMessageBox box(IconOf(TMsgDlgType::Confirmation), caption, text, QMessageBox::Yes | QMessageBox::Cancel, parent);
    box.button(QMessageBox::Yes)->setText(QStringLiteral("&Oui"));
    box.button(QMessageBox::Cancel)->setText(QStringLiteral("Annuler"));
    box.setDefaultButton(QMessageBox::Cancel);
    return box.exec() == QMessageBox::Yes;
}

void SetConfirmPresenter(TConfirmPresenter presenter)
{
    ConfirmPresenter() = std::move(presenter);
}

} // namespace ui
