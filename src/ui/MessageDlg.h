#pragma once

// The standard message dialogs. They carry French captions and buttons
// whatever the language, as the program has always shown them.
#include <QString>

#include <functional>

class QWidget;

namespace ui {

enum class TMsgDlgType { Warning, Error, Information, Confirmation };

// "Avertissement", "Erreur", "Information" or "Confirmation".
QString MessageCaption(TMsgDlgType type);

// Shows the text and waits until the user closes the box.
void MessageDlg(QWidget *parent, TMsgDlgType type, const QString &text);

// A plain message box: the program's name as its caption, the text (a
// carriage return starts a new line) and an OK button. Waits for the user.
void ShowMessage(QWidget *parent, const QString &text);

// How the message boxes reach the user. Tests replace it to read them; an
// empty presenter brings back the boxes.
using TMessagePresenter = std::function<void(const QString &caption, const QString &text)>;
void SetMessagePresenter(TMessagePresenter presenter);

// Asks for a confirmation with the buttons "&Oui" and "Annuler"; true only
// for "Oui" (closing the box is a cancel).
bool ConfirmDlg(QWidget *parent, const QString &text);

// How the confirmations reach the user. Tests replace it to answer them; an
// empty presenter brings back the box.
using TConfirmPresenter = std::function<bool(const QString &caption, const QString &text)>;
void SetConfirmPresenter(TConfirmPresenter presenter);

} // namespace ui
