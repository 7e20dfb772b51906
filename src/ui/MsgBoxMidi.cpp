#include "ui/MsgBoxMidi.h"
#include "ui/PanelResources.h"

#include "model/Declare.h"
#include "platform/ErrorHandler.h"
#include "platform/Registry.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QStyle>

namespace {

struct ReminderTexts {
    const char *caption;
    const char *message; // "\r" separates the lines
    const char *remindMe;
};

const ReminderTexts English = {
    "MIDI Setup...",
    "No MIDI output selected !\rYou will not be able to listen what is played.\rGo in the menu Setup and select an "
    "output device.\rThis only applies if you have a sound card.",
    "Remind me each time",
};

const ReminderTexts French = {
    "Configuration MIDI...",
    "Aucune sortie MIDI selectionnée !\rVous ne pourrez entendre ce qui est joué.\rAllez dans le menu Configuration et "
    "choisissez une sortie.\rCeci ne s'applique que si vous possedez une carte son.",
    "Me le rappeler chaque fois",
};

// The dialog's fixed layout: the message on top, the check box under it.
constexpr QSize ClientSize(310, 107);
constexpr QRect Label1Rect(6, 6, 297, 65);
constexpr QRect RemindMeRect(12, 80, 289, 17);

// The message must show whole inside its fixed box whatever fonts the system
// has, so the label's font shrinks until the wrapped text fits.
void FitTextInto(QLabel *label)
{
    QFont font = label->font();
    const auto fits = [&] {
        const QRect needed = QFontMetrics(font).boundingRect(QRect(QPoint(0, 0), label->size()),
                                                             Qt::AlignCenter | Qt::TextWordWrap, label->text());
        return needed.height() <= label->height() && needed.width() <= label->width();
    };
    while (!fits() && font.pointSizeF() > 6.0)
        font.setPointSizeF(font.pointSizeF() - 0.5);
    label->setFont(font);
}

} // namespace

TFrmNoMidi::TFrmNoMidi(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setObjectName("FrmNoMidi");
    setWindowTitle("MIDI Setup");
    setWindowIcon(ProgramIcon());
    setFixedSize(ClientSize);

    Label1 = new QLabel(this);
    Label1->setObjectName("Label1");
    Label1->setGeometry(Label1Rect);
    Label1->setAlignment(Qt::AlignCenter);
    Label1->setWordWrap(true);

    RemindMe = new QCheckBox(this);
    RemindMe->setObjectName("RemindMe");
    RemindMe->setGeometry(RemindMeRect);
    RemindMe->setChecked(true);

    FormCreate();
}

void TFrmNoMidi::FormCreate()
{
    const ReminderTexts &texts = model::Language == 2 ? French : English;
    setWindowTitle(QString::fromUtf8(texts.caption));
    Label1->setText(QString::fromUtf8(texts.message).replace('\r', '\n'));
    RemindMe->setText(QString::fromUtf8(texts.remindMe));
    FitTextInto(Label1);
    RemindMe->setChecked(model::RemindMe);
}

void TFrmNoMidi::FormClose()
{
    platform::TRegistry registry;
    registry.RootKey = platform::HKEY_CURRENT_USER;
    registry.OpenKey("Software\\Harmonova", true);
    registry.WriteBool("RemindMe", RemindMe->isChecked());
    registry.CloseKey();
}

void TFrmNoMidi::closeEvent(QCloseEvent *event)
{
    // When the choice cannot be stored the user is told and the dialog stays,
    // so the choice is not silently lost.
    if (!platform::RunGuarded([this] { FormClose(); })) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void TFrmNoMidi::keyPressEvent(QKeyEvent *event)
{
    // Escape would hide the dialog without storing the check box; let it close
    // the dialog the way the close box does.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        close();
        return;
    }
    QDialog::keyPressEvent(event);
}
