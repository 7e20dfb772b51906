#include "model/Declare.h"
#include "platform/ErrorHandler.h"
#include "platform/Registry.h"
#include "ui/MsgBoxMidi.h"

#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QPointer>
#include <QTest>
#include <gtest/gtest.h>

namespace {

const QString Harmonova = QStringLiteral("Software\\Harmonova");

// The reminder reads two settings; each test starts from the defaults and
// leaves them as it found them.
class Reminder : public testing::Test {
protected:
    void SetUp() override
    {
        model::Language = 1;
        model::RemindMe = true;
        platform::Application::SetPresenter([this](const QString &m) { messages_ << m; });
    }
    void TearDown() override
    {
        platform::Application::SetPresenter(nullptr);
        model::Language = language_;
        model::RemindMe = remindMe_;
    }

    static void StoreBeforehand(const QString &name, int value)
    {
        platform::TRegistry registry;
        ASSERT_TRUE(registry.OpenKey(Harmonova, true));
        registry.WriteInteger(name, value);
    }
    static platform::TRegDataType StoredType(const QString &name)
    {
        platform::TRegistry registry;
        registry.OpenKey(Harmonova, false);
        return registry.GetDataType(name);
    }
    static int Stored(const QString &name)
    {
        platform::TRegistry registry;
        registry.OpenKey(Harmonova, false);
        return registry.ReadInteger(name);
    }

    QStringList messages_;

private:
    int language_ = model::Language;
    bool remindMe_ = model::RemindMe;
};

struct LanguageTexts {
    int language;
    const char *caption;
    const char *message;
    const char *remindMe;
};

void PrintTo(const LanguageTexts &value, std::ostream *os)
{
    *os << "Language " << value.language;
}

const char EnglishMessage[] =
    "No MIDI output selected !\nYou will not be able to listen what is played.\nGo in the menu "
    "Setup and select an output device.\nThis only applies if you have a sound card.";
const char FrenchMessage[] = "Aucune sortie MIDI selectionnée !\nVous ne pourrez entendre ce qui est joué.\nAllez dans "
                             "le menu Configuration et choisissez une sortie.\nCeci ne s'applique que si vous possedez "
                             "une carte son.";

const LanguageTexts languageTexts[] = {
    {1, "MIDI Setup...", EnglishMessage, "Remind me each time"},
    {2, "Configuration MIDI...", FrenchMessage, "Me le rappeler chaque fois"},
    {3, "MIDI Setup...", EnglishMessage, "Remind me each time"},
    {0, "MIDI Setup...", EnglishMessage, "Remind me each time"},
};

class ReminderTexts : public Reminder, public testing::WithParamInterface<LanguageTexts> {};

} // namespace

TEST_P(ReminderTexts, FollowTheLanguageAndShowWholeInTheirBox)
{
    const LanguageTexts &t = GetParam();
    model::Language = t.language;
    TFrmNoMidi reminder;

    EXPECT_EQ(reminder.windowTitle(), QString::fromUtf8(t.caption));
    EXPECT_EQ(reminder.Label1->text(), QString::fromUtf8(t.message));
    EXPECT_EQ(reminder.RemindMe->text(), QString::fromUtf8(t.remindMe));

    const QRect needed =
        QFontMetrics(reminder.Label1->font())
            .boundingRect(reminder.Label1->contentsRect(), Qt::AlignCenter | Qt::TextWordWrap, reminder.Label1->text());
    EXPECT_LE(needed.height(), reminder.Label1->contentsRect().height()) << "the message would be cut off";
    EXPECT_GE(reminder.Label1->font().pointSizeF(), 6.0);
    const int checkWidth = reminder.RemindMe->sizeHint().width();
    EXPECT_LE(checkWidth, reminder.RemindMe->width()) << "the check box caption would be cut off";
}

INSTANTIATE_TEST_SUITE_P(Reminder, ReminderTexts, testing::ValuesIn(languageTexts),
                         [](const testing::TestParamInfo<LanguageTexts> &info) {
                             return "Language" + std::to_string(info.param.language);
                         });

TEST_F(Reminder, IsASmallFixedDialogWithTheMessageAboveTheCheckBox)
{
    TFrmNoMidi reminder;
    EXPECT_EQ(reminder.objectName(), QString("FrmNoMidi"));
    EXPECT_EQ(reminder.minimumSize(), QSize(310, 107));
    EXPECT_EQ(reminder.maximumSize(), QSize(310, 107));
    EXPECT_EQ(reminder.findChild<QLabel *>("Label1"), reminder.Label1);
    EXPECT_EQ(reminder.findChild<QCheckBox *>("RemindMe"), reminder.RemindMe);

    const QRect label = reminder.Label1->geometry();
    const QRect check = reminder.RemindMe->geometry();
    EXPECT_EQ(label.size(), QSize(297, 65));
    EXPECT_EQ(check.size(), QSize(289, 17));
    EXPECT_LE(label.top(), 8) << "the message stands at the top";
    EXPECT_GT(check.top(), label.bottom());
    EXPECT_TRUE(reminder.rect().contains(label));
    EXPECT_TRUE(reminder.rect().contains(check));
    EXPECT_EQ(reminder.Label1->alignment(), Qt::AlignCenter);
    EXPECT_TRUE(reminder.Label1->wordWrap());
    EXPECT_TRUE(reminder.findChildren<QAbstractButton *>().size() == 1) << "no buttons besides the check box";
}

TEST_F(Reminder, CheckBoxStartsFromTheSetting)
{
    for (bool setting : {true, false}) {
        model::RemindMe = setting;
        TFrmNoMidi reminder;
        EXPECT_EQ(reminder.RemindMe->isChecked(), setting);
    }
}

namespace {

struct Closing {
    const char *what;
    bool setting;  // model::RemindMe when the reminder is made
    bool clickBox; // the user clicks the check box before closing
    int stored;
};

void PrintTo(const Closing &value, std::ostream *os)
{
    *os << value.what;
}

const Closing closings[] = {
    {"UntouchedStoresOne", true, false, 1},
    {"ClearedStoresZero", true, true, 0},
    {"TickedStoresOne", false, true, 1},
    {"UntouchedWhileOffStoresZero", false, false, 0},
};

class ReminderClosing : public Reminder, public testing::WithParamInterface<Closing> {};

} // namespace

TEST_P(ReminderClosing, StoresTheCheckBoxButLeavesTheRunningSetting)
{
    const Closing &c = GetParam();
    model::RemindMe = c.setting;
    StoreBeforehand("Speed", 300);
    StoreBeforehand("RemindMe", 7);
    QPointer<TFrmNoMidi> reminder = new TFrmNoMidi;
    reminder->show();
    if (c.clickBox)
        QTest::mouseClick(reminder->RemindMe, Qt::LeftButton);

    EXPECT_TRUE(reminder->close());

    EXPECT_FALSE(reminder->isVisible());
    EXPECT_EQ(StoredType("RemindMe"), platform::rdInteger);
    EXPECT_EQ(Stored("RemindMe"), c.stored);
    EXPECT_EQ(Stored("Speed"), 300) << "other settings stay";
    EXPECT_EQ(model::RemindMe, c.setting) << "takes effect at the next start only";
    EXPECT_TRUE(messages_.isEmpty()) << messages_.join('\n').toStdString();

    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_FALSE(reminder.isNull()) << "closing only hides the reminder";
    delete reminder.data();
}

INSTANTIATE_TEST_SUITE_P(Reminder, ReminderClosing, testing::ValuesIn(closings),
                         [](const testing::TestParamInfo<Closing> &info) { return std::string(info.param.what); });

TEST_F(Reminder, EscapeClosesItLikeTheCloseBox)
{
    TFrmNoMidi reminder;
    reminder.show();
    QTest::mouseClick(reminder.RemindMe, Qt::LeftButton);

    QTest::keyClick(&reminder, Qt::Key_Escape);

    EXPECT_FALSE(reminder.isVisible());
    EXPECT_EQ(Stored("RemindMe"), 0);
}

TEST_F(Reminder, StaysOpenAndSaysSoWhenTheValueCannotBeStored)
{
    const QByteArray good = qgetenv("HARMONOVA_REGISTRY");
    {
        QFile plain(QString::fromLocal8Bit(good));
        ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    }
    qputenv("HARMONOVA_REGISTRY", good + "/below-a-plain-file/registry.reg");
    TFrmNoMidi reminder;
    reminder.show();
    QTest::mouseClick(reminder.RemindMe, Qt::LeftButton);

    EXPECT_FALSE(reminder.close());

    EXPECT_TRUE(reminder.isVisible());
    ASSERT_EQ(messages_.size(), 1);
    EXPECT_TRUE(messages_[0].startsWith(QString::fromUtf8("Echec à la définition des données pour 'RemindMe'")))
        << messages_[0].toStdString();

    // Once the registry can be written again, the same choice is stored.
    qputenv("HARMONOVA_REGISTRY", good + ".second");
    EXPECT_TRUE(reminder.close());
    EXPECT_FALSE(reminder.isVisible());
    EXPECT_EQ(Stored("RemindMe"), 0);
    EXPECT_EQ(messages_.size(), 1);
}
