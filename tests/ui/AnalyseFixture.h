#pragma once

// Chord analysis windows beside a main window and a set-up dialog built as
// the program builds them, so the windows reach the MIDI output (the
// loopback driver's) through the dialog as they do in the program.
#include "EventWait.h"
#include "MainWindowFixture.h"

#include "midi/MidiIn.h"
#include "midi/MidiOut.h"
#include "midi/ThreadUnit.h"
#include "platform/MidiApi.h"
#include "ui/Midi_Setup.h"
#include "ui/analyse.h"

#include <QLabel>
#include <QTimer>

// The analysis window's key colours ($00BBGGRR): held, white and black keys
// released, and a lit lamp.
inline constexpr uint32_t Green = 0xC0DCC0;
inline constexpr uint32_t Ivory = 0xEFFBFD;
inline constexpr uint32_t Black = 0x000000;
inline constexpr uint32_t Red = 0x0000FF;
#include <QToolButton>

#include <functional>
#include <memory>
#include <vector>

class AnalyserTest : public MainWindowTest {
protected:
    std::unique_ptr<TFrmMidiSetup> dlg;
    std::vector<std::unique_ptr<TFormAnalyse>> windows;

    void SetUp() override
    {
        MainWindowTest::SetUp();
        platform::MidiDriverResetForTest();
        model::AnalyserOpen = false;
        model::PitchClassCounts.fill(0);
        AnalyserKeys = TAnalyserKeys{};
    }

    void TearDown() override
    {
        windows.clear();
        dlg.reset();
        StopMidiThreads();
        w.reset();
        platform::MidiDriverResetForTest();
        MainWindowTest::TearDown();
    }

    // The main window, then the set-up dialog, which opens the loopback
    // devices the settings name. The main window's first chord never
    // plays, and what the dialog sent while starting is forgotten.
    void OpenProgram(bool withOutput, bool withInput = false)
    {
        if (withOutput)
            StoreText("MidiIFOut", "Loopback Out");
        if (withInput)
            StoreText("MidiIFIn", "Loopback In");
        Open();
        dlg = std::make_unique<TFrmMidiSetup>(w.get());
        StopMidiThreads();
        platform::loopback::ClearSent();
    }

    // A new analysis window, as the menu entry makes one, shown.
    TFormAnalyse *NewWindow()
    {
        windows.push_back(std::make_unique<TFormAnalyse>(w.get()));
        windows.back()->show();
        return windows.back().get();
    }

    static TShapePiano *KeyOf(const TFormAnalyse *window, int n)
    {
        auto *key = window->findChild<TShapePiano *>(QStringLiteral("ShapePiano%1").arg(n));
        EXPECT_NE(key, nullptr) << n;
        return key;
    }

    static QList<int> HeldKeys()
    {
        QList<int> keys;
        for (int n = 1; n <= 48; ++n)
            if (AnalyserKeys[n - 1].Pressed)
                keys << n;
        return keys;
    }

    static QList<int> Counts()
    {
        QList<int> counts;
        for (const int count : model::PitchClassCounts)
            counts << count;
        return counts;
    }

    // The counts with the given pitch classes held once each (a class
    // listed twice, twice).
    static QList<int> CountsOf(std::initializer_list<int> pitchClasses)
    {
        QList<int> counts(12, 0);
        for (const int pc : pitchClasses)
            ++counts[pc];
        return counts;
    }

    // A message as "90 30 40".
    static QString Hex(const std::vector<uint8_t> &bytes)
    {
        QStringList hex;
        for (const uint8_t byte : bytes)
            hex << QStringLiteral("%1").arg(byte, 2, 16, QLatin1Char('0')).toUpper();
        return hex.join(' ');
    }

    // The messages the loopback output received.
    static QStringList Sent()
    {
        QStringList messages;
        for (const auto &bytes : platform::loopback::Sent())
            messages << Hex(bytes);
        return messages;
    }

    static bool WaitFor(const std::function<bool()> &condition) { return hntest::WaitFor(condition); }
};
