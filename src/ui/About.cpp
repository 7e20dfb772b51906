#include "ui/About.h"

#include "model/Declare.h"
#include "model/Helpers.h"
#include "platform/ErrorHandler.h"
#include "platform/HttpCli.h"
#include "platform/Shell.h"
#include "ui/Controls.h"
#include "ui/MessageDlg.h"
#include "ui/PanelResources.h"

#include <QApplication>
#include <QFrame>
#include <QGuiApplication>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QUrl>

TAboutBox *AboutBox = nullptr;

namespace {

// The author's addresses, all in one place.
TAuthorAddresses &Addresses()
{
    static TAuthorAddresses addresses{QStringLiteral("http://www.example.org/harmonova"),
                                      QStringLiteral("harmonova@example.org"), QStringLiteral("harmonova")};
    return addresses;
}

constexpr char VersionFilePath[] = "/version/version.txt";
constexpr char VersionFilePassword[] = "quilbent";
constexpr int HttpOk = 200;

// The dialog's fixed layout: the panel with the picture and the two links
// under it, the buttons below the panel.
constexpr QSize ClientSize(284, 328);
constexpr QRect Panel1Rect(7, 6, 270, 286);
constexpr QRect ProgramIconRect(7, 6, 255, 261); // in Panel1
constexpr QRect SendMailRect(10, 272, 18, 9);    // in Panel1
constexpr QRect HomepageRect(34, 268, 16, 17);   // in Panel1
constexpr QRect BtnVersionRect(7, 297, 90, 25);
constexpr QRect OKButtonRect(187, 297, 90, 25);

struct TAboutTexts {
    const char *caption;
    const char *homepageHint;
    const char *sendMailHint;
    const char *versionHint;
};

// The texts the dialog is built with, kept when the language is neither
// English nor French.
const TAboutTexts Designed = {"About", "Home page", "Don't hesitate to send me a mail...",
                              "Is your version up-to-date ?"};
const TAboutTexts English = {"About...", "Link to Homepage", "Don't hesitate to send me a mail...",
                             "Is your version up-to-date ?"};
const TAboutTexts French = {"Au sujet de...", "Lien vers le site Harmonova...", "N'hésitez pas à m'écrire...",
                            "Votre version est-elle à jour ?"};

// A panel framed by a lowered outer and a raised inner bevel.
class TBevelPanel : public QFrame {
public:
    using QFrame::QFrame;

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        const QPalette &colours = palette();
        const QRect outer = rect().adjusted(0, 0, -1, -1);
        const QRect inner = outer.adjusted(1, 1, -1, -1);
        Bevel(painter, outer, colours.color(QPalette::Dark), colours.color(QPalette::Light));
        Bevel(painter, inner, colours.color(QPalette::Light), colours.color(QPalette::Dark));
    }

private:
    static void Bevel(QPainter &painter, const QRect &r, const QColor &topLeft, const QColor &bottomRight)
    {
        painter.setPen(topLeft);
        painter.drawLine(r.topLeft(), r.topRight());
        painter.drawLine(r.topLeft(), r.bottomLeft());
        painter.setPen(bottomRight);
        painter.drawLine(r.bottomLeft(), r.bottomRight());
        painter.drawLine(r.topRight(), r.bottomRight());
    }
};

// The screen's cursor, one for the whole program: the hourglass while the
// box waits for the desktop or the web site, else the normal arrow.
void ShowHourglass()
{
    const QCursor *current = QApplication::overrideCursor();
    if (!current || current->shape() != Qt::WaitCursor)
        QApplication::setOverrideCursor(Qt::WaitCursor);
}

void ShowDefaultCursor()
{
    while (QApplication::overrideCursor())
        QApplication::restoreOverrideCursor();
}

// The version check's messages are English for 1 and French for any other
// value, unlike the dialog's own texts.
bool MessagesInEnglish()
{
    return model::Language == 1;
}

// Why the web site could not be reached, in the language of the messages.
QString FailureReason(const platform::EHttpError &error)
{
    using platform::THttpFailure;
    const auto say = [](const char *english, const char *french) {
        return QString::fromUtf8(MessagesInEnglish() ? english : french);
    };
    switch (error.Failure()) {
    case THttpFailure::Busy:
        return say("A check is already running.", "Une vérification est déjà en cours.");
    case THttpFailure::NoConnection:
        return say("No connection to the server.", "Pas de connexion au serveur.");
    case THttpFailure::UnknownHost:
        return say("The server's name is unknown.", "Le nom du serveur est inconnu.");
    case THttpFailure::TimedOut:
        return say("The server did not answer in time.", "Le serveur n'a pas répondu à temps.");
    case THttpFailure::NotHttp:
        return say("The server did not answer as a web server does.",
                   "Le serveur n'a pas répondu comme un serveur web.");
    case THttpFailure::Status: {
        const QString status = QStringLiteral("%1 %2").arg(error.StatusCode()).arg(error.ReasonPhrase()).trimmed();
        return say("The server answered: %1", "Le serveur a répondu : %1").arg(status);
    }
    case THttpFailure::Cancelled:
    case THttpFailure::Other:
        break;
    }
    return say("The connection to the server failed.", "La connexion au serveur a échoué.");
}

} // namespace

QString VersionCheckFailure(const platform::EHttpError &error)
{
    QString message = MessagesInEnglish() ? QStringLiteral("Unable to reach the web site\r")
                                          : QStringLiteral("Impossible de joindre le site web\r");
    message += FailureReason(error);
    // The network library's own words stay for whoever looks further.
    const QString detail =
        error.Detail().isEmpty() && error.Failure() == platform::THttpFailure::Other ? error.Message() : error.Detail();
    if (!detail.isEmpty())
        message += (MessagesInEnglish() ? QStringLiteral("\rDetail: ") : QStringLiteral("\rDétail : ")) + detail;
    return message;
}

namespace {

// The published version is the reply up to and including its first ")".
QString AvailableVersion(const QByteArray &reply)
{
    const QString text = QString::fromLatin1(reply);
    const qsizetype close = text.indexOf(')');
    return close < 0 ? QString() : text.first(close + 1);
}

QString VersionMessage(const QString &available)
{
    const QString mine = QString::fromLatin1(ProgramVersion);
    if (available == mine)
        return MessagesInEnglish() ? QStringLiteral("You are up-to-date.") : QStringLiteral("Vous êtes à jour.");
    if (MessagesInEnglish())
        return QStringLiteral("New version available in web site\rYour version: ") + mine +
               QStringLiteral("\rAvailable version: ") + available;
    return QStringLiteral("Nouvelle version disponible sur le site web\rVotre version: ") + mine +
           QStringLiteral("\rNouvelle version: ") + available;
}

} // namespace

const TAuthorAddresses &AuthorAddresses()
{
    return Addresses();
}

void SetWebSite(const QString &address)
{
    Addresses().WebSite = address;
}

TAboutBox::TAboutBox(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      Http(std::make_unique<platform::THttpCli>())
{
    setObjectName("AboutBox");
    setWindowIcon(::ProgramIcon());
    setFixedSize(ClientSize);
    Http->Agent = QStringLiteral("Mozilla/3.0 (compatible)");
    Http->Accept = QStringLiteral("image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, */*");
    Http->ProxyPort = QStringLiteral("80");
    CreateComponents();
    AboutBox = this;
    platform::RunGuarded([this] { FormCreate(); });
}

TAboutBox::~TAboutBox()
{
    if (AboutBox == this)
        AboutBox = nullptr;
}

void TAboutBox::CreateComponents()
{
    InitPanelResources();
    setWindowTitle(QString::fromUtf8(Designed.caption));

    Panel1 = new TBevelPanel(this);
    Panel1->setObjectName("Panel1");
    Panel1->setGeometry(Panel1Rect);

    ProgramIcon = new TImage32(Panel1);
    ProgramIcon->setObjectName("ProgramIcon");
    ProgramIcon->setGeometry(ProgramIconRect);
    ProgramIcon->setBitmap(ReadPicture(QString::fromLatin1(PanelAboutPicture)));

    const auto link = [this](const char *name, const QRect &place, const char *picture, const char *hint) {
        auto *image = new TImage(Panel1);
        image->setObjectName(QString::fromLatin1(name));
        image->setGeometry(place);
        image->setPicture(ReadPicture(QString::fromLatin1(picture)));
        image->setCursor(Qt::PointingHandCursor);
        SetHint(image, QString::fromUtf8(hint));
        return image;
    };
    SendMail = link("SendMail", SendMailRect, PanelMailPicture, Designed.sendMailHint);
    Homepage = link("Homepage", HomepageRect, PanelHomepagePicture, Designed.homepageHint);
    connect(SendMail, &TImage::OnClick, this, &TAboutBox::SendMailClick);
    connect(Homepage, &TImage::OnClick, this, &TAboutBox::HomepageClick);

    BtnVersion = new QPushButton(QStringLiteral("Version..."), this);
    BtnVersion->setObjectName("BtnVersion");
    BtnVersion->setGeometry(BtnVersionRect);
    BtnVersion->setCursor(Qt::PointingHandCursor);
    SetHint(BtnVersion, QString::fromUtf8(Designed.versionHint));
    BtnVersion->setAutoDefault(false);
    connect(BtnVersion, &QPushButton::clicked, this, &TAboutBox::BtnVersionClick);

    OKButton = new QPushButton(QStringLiteral("OK"), this);
    OKButton->setObjectName("OKButton");
    OKButton->setGeometry(OKButtonRect);
    OKButton->setDefault(true);
    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);
}

void TAboutBox::FormCreate()
{
    model::ReadProxySettings();
    ApplyLanguage();
}

void TAboutBox::ApplyLanguage()
{
    if (model::Language != 1 && model::Language != 2)
        return;
    const TAboutTexts &texts = model::Language == 1 ? English : French;
    setWindowTitle(QString::fromUtf8(texts.caption));
    SetHint(Homepage, QString::fromUtf8(texts.homepageHint));
    SetHint(SendMail, QString::fromUtf8(texts.sendMailHint));
    SetHint(BtnVersion, QString::fromUtf8(texts.versionHint));
}

void TAboutBox::done(int result)
{
    // A check still waiting for the web site ends with the box: none runs
    // on in a hidden box, holding "About..." back and answering later.
    Http->Abort();
    QDialog::done(result);
}

void TAboutBox::showEvent(QShowEvent *event)
{
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - QPoint(width() / 2, height() / 2));
    QDialog::showEvent(event);
}

void TAboutBox::OpenLink(const QUrl &link, const QString &refusal)
{
    ShowHourglass();
    const bool opened = platform::ShellOpen(link);
    // The arrow is back before the message, which waits for the user.
    ShowDefaultCursor();
    if (!opened)
        ui::ShowMessage(this, refusal);
}

void TAboutBox::SendMailClick()
{
    OpenLink(QUrl(QStringLiteral("mailto:") + AuthorAddresses().Mail + QStringLiteral("?subject=Harmonova...")),
             QStringLiteral("Unable to launch any mail program"));
}

void TAboutBox::HomepageClick()
{
    OpenLink(QUrl(AuthorAddresses().WebSite), QStringLiteral("Unable to launch any internet browser"));
}

void TAboutBox::BtnVersionClick()
{
    ShowHourglass();
    struct TArrowAtEnd {
        ~TArrowAtEnd() { ShowDefaultCursor(); }
    } arrowAtEnd;
    if (model::ProxyEnabled) {
        Http->Proxy = model::ProxyHost;
        Http->ProxyPort = QString::number(model::ProxyPort);
    }
    Http->Username = AuthorAddresses().Account;
    Http->Password = QString::fromLatin1(VersionFilePassword);
    Http->URL = AuthorAddresses().WebSite + QString::fromLatin1(VersionFilePath);

    // Only this request's own reply is compared: after a failure there is
    // nothing to compare, and the user is told why. Any reply but the file
    // itself, a redirection too, is such a failure: its body is no version.
    QString message;
    try {
        Http->Get();
        if (Http->StatusCode() != HttpOk)
            throw platform::EHttpError(platform::THttpFailure::Status,
                                       QStringLiteral("The server answered %1").arg(Http->StatusCode()),
                                       Http->StatusCode(), Http->ReasonPhrase());
        message = VersionMessage(AvailableVersion(Http->LastReceived()));
    } catch (const platform::EHttpError &error) {
        // A box closed while it checked shows nothing more.
        if (error.Failure() != platform::THttpFailure::Cancelled)
            message = VersionCheckFailure(error);
    }
    ShowDefaultCursor();
    if (!message.isEmpty())
        ui::ShowMessage(this, message);
}
