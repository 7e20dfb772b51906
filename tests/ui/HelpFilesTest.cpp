#include "platform/ErrorHandler.h"
#include "platform/HelpViewer.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QStringDecoder>
#include <QTextBrowser>
#include <QTextDocument>
#include <gtest/gtest.h>

namespace {

QString HelpSource(const char *name)
{
    return QDir::cleanPath(QStringLiteral(HN_FIXTURES_DIR "/../../src/ui/help/") + QString::fromUtf8(name));
}

struct HelpFile {
    const char *name;
    const char *language;
    // What a reader looks for: each main feature of the program, as the page
    // names it, separated by "|".
    const char *features;
};

void PrintTo(const HelpFile &value, std::ostream *os)
{
    *os << value.name;
}

const HelpFile helpFiles[] = {
    {"ZADIVIZIRAZ.ARI", "en",
     "root|chord type|Scales|Inversions|Accidentals|Playback|ascending arpeggio|descending arpeggio|"
     "play button|staff|bass clef|treble clef|Compact|Space|Chord analyser|Find the chord|Escape|"
     "MIDI keyboard|Chords pattern|30 to 200|End of pattern|Loop from beginning|.hnv|Setup|Input|"
     "Output|Instrument|Channel|Detune|Arpeggio speed|Notation|Language|Background picture|"
     "Stay on top|Remind me each time"},
    {"ZUVIVODADOZ.IDI", "fr",
     "fondamentale|type d'accord|gammes|Renversements|Altérations|Ecoute|arpège ascendant|"
     "arpège descendant|bouton de lecture|portée|clef de fa|clef de sol|Compacte|Espace|"
     "Analyse d'accord|Trouver l'accord|Échap|clavier MIDI|Grille d'accords|30 à 200|End of pattern|"
     "Loop from beginning|.hnv|Configuration|Entrée|Sortie|Instrument|Canal|Désaccord|Vitesse arpège|"
     "Notation|Langue|Image de fond|Fenêtre en avant-plan|Me le rappeler chaque fois"},
};

// The help contexts the program's windows may ask for.
const QStringList windowContexts = {"context-2", "context-41", "context-42", "context-51", "context-52"};

QString ReadUtf8(const QString &path, bool *valid)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *valid = false;
        return {};
    }
    QStringDecoder decoder(QStringDecoder::Utf8);
    const QString text = decoder(file.readAll());
    *valid = !decoder.hasError();
    return text;
}

// Every element that is opened is closed, in order; returns the first fault.
QString UnbalancedTag(const QString &html)
{
    static const QSet<QString> empty = {"meta", "br", "hr", "img", "link", "input", "col"};
    static const QRegularExpression tag(QStringLiteral("<(/?)([a-zA-Z][a-zA-Z0-9]*)[^>]*>"));
    QStringList open;
    for (const auto &m : tag.globalMatch(html)) {
        const QString name = m.captured(2).toLower();
        if (empty.contains(name))
            continue;
        if (m.captured(1).isEmpty()) {
            open << name;
        } else if (open.isEmpty() || open.takeLast() != name) {
            return QStringLiteral("</%1> at offset %2").arg(name).arg(m.capturedStart());
        }
    }
    return open.isEmpty() ? QString() : QStringLiteral("<%1> never closed").arg(open.join(", "));
}

QSet<QString> Captures(const QString &html, const QString &pattern)
{
    QSet<QString> found;
    for (const auto &m : QRegularExpression(pattern).globalMatch(html))
        found << m.captured(1);
    return found;
}

QSet<QString> Anchors(const QString &html)
{
    return Captures(html, QStringLiteral("<a name=\"([^\"]+)\""));
}

class HelpPage : public testing::TestWithParam<HelpFile> {
protected:
    void SetUp() override
    {
        bool valid = false;
        html_ = ReadUtf8(HelpSource(GetParam().name), &valid);
        ASSERT_TRUE(valid) << HelpSource(GetParam().name).toStdString() << " is missing or not UTF-8";
    }
    QString html_;
};

} // namespace

TEST_P(HelpPage, IsAWholeHtmlPageWithATitle)
{
    EXPECT_TRUE(html_.startsWith("<!DOCTYPE html>"));
    EXPECT_TRUE(html_.contains(QStringLiteral("<html lang=\"%1\">").arg(GetParam().language)));
    EXPECT_TRUE(html_.contains("<meta charset=\"utf-8\">"));
    EXPECT_EQ(UnbalancedTag(html_), QString());

    QTextDocument document;
    document.setHtml(html_);
    const QString title = document.metaInformation(QTextDocument::DocumentTitle);
    EXPECT_TRUE(title.startsWith("Harmonova")) << title.toStdString();
    EXPECT_TRUE(document.toPlainText().trimmed().startsWith("Harmonova")) << "the top of the page names the program";
}

TEST_P(HelpPage, StandsAloneAndItsLinksLeadSomewhere)
{
    for (const char *outside : {"<script", "<link", "src=", "url(", "@import", "http:", "https:"})
        EXPECT_FALSE(html_.contains(QString::fromUtf8(outside), Qt::CaseInsensitive)) << outside;

    const QSet<QString> anchors = Anchors(html_);
    const QSet<QString> links = Captures(html_, QStringLiteral("href=\"#([^\"]*)\""));
    EXPECT_GE(links.size(), 10) << "a table of contents";
    for (const QString &link : links)
        EXPECT_TRUE(anchors.contains(link)) << "#" << link.toStdString() << " leads nowhere";
    for (const QString &context : windowContexts)
        EXPECT_TRUE(anchors.contains(context)) << context.toStdString();
    EXPECT_EQ(Captures(html_, QStringLiteral("href=\"([^#\"][^\"]*)\"")), QSet<QString>()) << "no other files";
}

TEST_P(HelpPage, NamesTheMainFeatures)
{
    for (const QString &feature : QString::fromUtf8(GetParam().features).split('|'))
        EXPECT_TRUE(html_.contains(feature)) << feature.toStdString();
}

TEST_P(HelpPage, OpensInTheHelpViewerAtItsTop)
{
    QStringList messages;
    platform::Application::SetPresenter([&](const QString &m) { messages << m; });
    const bool shown = platform::ShowHelp(nullptr, HelpSource(GetParam().name));
    platform::Application::SetPresenter(nullptr);

    ASSERT_TRUE(shown) << messages.join('\n').toStdString();
    QTextBrowser *window = platform::HelpWindow();
    EXPECT_TRUE(window->windowTitle().startsWith("Harmonova"));
    EXPECT_TRUE(window->toPlainText().trimmed().startsWith("Harmonova"));
    window->hide();
}

INSTANTIATE_TEST_SUITE_P(HelpFiles, HelpPage, testing::ValuesIn(helpFiles),
                         [](const testing::TestParamInfo<HelpFile> &info) { return std::string(info.param.language); });

TEST(HelpFiles, BothLanguagesHaveTheSameSections)
{
    bool englishValid = false;
    bool frenchValid = false;
    const QString english = ReadUtf8(HelpSource("ZADIVIZIRAZ.ARI"), &englishValid);
    const QString french = ReadUtf8(HelpSource("ZUVIVODADOZ.IDI"), &frenchValid);
    ASSERT_TRUE(englishValid && frenchValid);
    EXPECT_EQ(Anchors(english), Anchors(french));
}
