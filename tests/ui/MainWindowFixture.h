#pragma once

// A main window built as the program builds it, with what it shows through
// the error handler and its message boxes written down, and its playback
// counted (there is no MIDI output to listen to).
#include "model/Declare.h"
#include "model/NoteNames.h"
#include "platform/ErrorHandler.h"
#include "platform/Registry.h"
#include "ui/Controls.h"
#include "ui/ImgButton.h"
#include "ui/ImgSwitch.h"
#include "ui/Keys.h"
#include "ui/Main.h"
#include "ui/ShapePiano.h"

#include <QEnterEvent>
#include <QMouseEvent>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>
#include <ostream>

[[maybe_unused]] static void PrintTo(const QString &text, std::ostream *os)
{
    *os << '"' << text.toStdString() << '"';
}

class TCountingFormMain : public TFormMain {
public:
    int PlayCurrentCalls = 0;
    QStringList Playbacks; // "at once", "up" or "down", one per StartPlayback

    void PlayCurrent() override { ++PlayCurrentCalls; }
    void StartPlayback(bool atOnce, const QString &direction) override
    {
        Playbacks << (atOnce ? QStringLiteral("at once") : direction);
    }
};

class MainWindowTest : public testing::Test {
protected:
    std::unique_ptr<TCountingFormMain> w;
    QStringList errors;   // shown by the error handler
    QStringList messages; // "caption: text" of the window's message boxes

    void SetUp() override
    {
        ResetProgramState();
        platform::Application::SetPresenter([this](const QString &message) { errors << message; });
        TFormMain::SetMessagePresenter(
            [this](const QString &caption, const QString &text) { messages << caption + ": " + text; });
    }

    void TearDown() override
    {
        w.reset();
        platform::Application::SetPresenter({});
        TFormMain::SetMessagePresenter({});
    }

    // The program-wide variables as they are when the program starts.
    static void ResetProgramState()
    {
        using namespace model;
        WindowCompact = AlterationsEnDiese = Notation = AutoListen = OnTop = RemindMe = false;
        ListenType = Son = Detune = MidiChannel = Language = Speed = 0;
        MidiIFIn.clear();
        MidiIFOut.clear();
        Background.clear();
        HelpFile.clear();
        NoteNames = TNoteNames{};
        CurrentRoot = CurrentChord = 1;
        CurrentInversion = 0;
        PatternFormCreated = false;
        ChordNotes = TNoteSlots{};
    }

    static void Store(const QString &name, int value)
    {
        platform::TRegistry registry;
        registry.OpenKey("Software\\Harmonova", true);
        registry.WriteInteger(name, value);
    }

    static void StoreText(const QString &name, const QString &value)
    {
        platform::TRegistry registry;
        registry.OpenKey("Software\\Harmonova", true);
        registry.WriteString(name, value);
    }

    // Creates the main window, then the note names, as start-up does.
    void Open()
    {
        w = std::make_unique<TCountingFormMain>();
        model::FillNoteNames();
    }

    template <typename T = QWidget> T *Get(const QString &name) const
    {
        T *component = w->findChild<T *>(name);
        EXPECT_NE(component, nullptr) << name.toStdString();
        return component;
    }

    // The chord number (1 to 60) of a symbol of the chord table.
    static int ChordNumber(const QString &symbol)
    {
        for (int i = model::TChordTable::Low; i <= model::TChordTable::High; ++i)
            if (model::ChordTable[i].Symbol == symbol)
                return i;
        ADD_FAILURE() << "no chord " << symbol.toStdString();
        return 1;
    }

    TShapePiano *Key(int n) const { return Get<TShapePiano>(QStringLiteral("ShapePiano%1").arg(n)); }

    static QList<int> PressedKeys()
    {
        QList<int> keys;
        for (int n = 1; n <= 48; ++n)
            if (KeyTable[n].Pressed)
                keys << n;
        return keys;
    }

    static QList<int> ChordNoteKeys()
    {
        QList<int> keys;
        for (const model::TNoteSlot &slot : model::ChordNotes)
            if (slot.Note != 0)
                keys << slot.Note;
        return keys;
    }

    static void Click(QWidget *control, Qt::MouseButton button = Qt::LeftButton)
    {
        QTest::mouseClick(control, button, {}, control->rect().center());
    }

    static void MoveOver(QWidget *control)
    {
        const QPointF at = control->rect().center();
        QMouseEvent move(QEvent::MouseMove, at, control->mapToGlobal(at), Qt::NoButton, Qt::NoButton, {});
        QCoreApplication::sendEvent(control, &move);
    }

    static void Enter(QWidget *control)
    {
        const QPointF at = control->rect().center();
        QEnterEvent enter(at, at, control->mapToGlobal(at));
        QCoreApplication::sendEvent(control, &enter);
    }

    static void Leave(QWidget *control)
    {
        QEvent leave(QEvent::Leave);
        QCoreApplication::sendEvent(control, &leave);
    }
};
