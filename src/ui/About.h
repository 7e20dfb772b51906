#pragma once

// The about box: the program's picture, a link that starts a mail to the
// author, a link to the program's web site, and a check whether the web site
// publishes a newer version than this one.
#include <QDialog>
#include <QString>

#include <memory>

class QFrame;
class QPushButton;
class QUrl;
class TImage;
class TImage32;

namespace platform {
class EHttpError;
class THttpCli;
} // namespace platform

// This program's version, as the web site's version file writes it.
inline constexpr char ProgramVersion[] = "3.1 (01/04/2006)";

// Where the links and the version check lead: the web site (its version
// file lies under /version/version.txt), the author's mail address, and the
// account that may read the version file.
struct TAuthorAddresses {
    QString WebSite;
    QString Mail;
    QString Account;
};
const TAuthorAddresses &AuthorAddresses();
// Points the web link and the version check at another site, without a
// closing "/". Tests give their own server.
void SetWebSite(const QString &address);

// What the version check says when the web site could not be reached: our
// own words in the language of the messages, and the network library's
// words, when it gave some, as a detail on the last line.
QString VersionCheckFailure(const platform::EHttpError &error);

class TAboutBox : public QDialog {
    Q_OBJECT
public:
    // Creates the dialog hidden and runs FormCreate; a failure there is
    // shown by the error handler and the dialog keeps its first texts.
    explicit TAboutBox(QWidget *parent = nullptr);
    ~TAboutBox() override;

    QFrame *Panel1 = nullptr;
    TImage32 *ProgramIcon = nullptr;
    TImage *SendMail = nullptr;
    TImage *Homepage = nullptr;
    QPushButton *OKButton = nullptr;
    QPushButton *BtnVersion = nullptr;
    std::unique_ptr<platform::THttpCli> Http;

    // Reads the system proxy once for the run, then sets the texts.
    void FormCreate();
    // Texts of the configured language; any language but 1 and 2 keeps them.
    void ApplyLanguage();

    void SendMailClick();
    void HomepageClick();
    void BtnVersionClick();

    // Closing the box, by OK, Escape or its close button, cancels a
    // running check.
    void done(int result) override;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void CreateComponents();
    void OpenLink(const QUrl &link, const QString &refusal);
};

// The about box, once it is created.
extern TAboutBox *AboutBox;
