#pragma once

// The program-wide state that every window reads and writes: the settings,
// the current selection, the tables and the note slots.
#include "model/OneBased.h"

#include <QString>

namespace model {

// One chord type of the chord table.
struct TChordEntry {
    QString Name;       // in the start-up language; a leading blank is part of it
    QString AltSymbols; // alternatives separated by " | "
    QString Symbol;     // empty for the major chord
    QString Mask;       // 12 digits, one per semitone above the root: '0' absent, '1'/'2' present
    bool operator==(const TChordEntry &) const = default;
};

struct TScaleEntry {
    QString Name;
    QString Steps; // semitone steps, adding up to 12
    bool operator==(const TScaleEntry &) const = default;
};

// A key number 1..48, 0 when the slot is empty.
struct TNoteSlot {
    int Note = 0;
    bool operator==(const TNoteSlot &) const = default;
};

using TChordTable = Array<TChordEntry, 1, 60>;
using TScaleTable = Array<TScaleEntry, 1, 16>;
using TNoteSlots = Array<TNoteSlot, 1, 13>;
using TNoteNames = Array<QString, 0, 11>;
using TPitchClassCounts = Array<int, 0, 11>;

// Settings, kept in the registry. They start zero, empty or false; the
// defaults are given by LoadSettings.
extern bool WindowCompact;
extern bool AlterationsEnDiese;
extern bool Notation;
extern bool AutoListen;
extern int ListenType; // -1 none, 0 chord at once, 1 ascending, 2 descending
extern QString MidiIFIn;
extern QString MidiIFOut;
extern int Son;
extern int Detune;
extern int MidiChannel;
extern int Language; // 1 English, 2 French
extern int Speed;
extern QString Background;
extern bool OnTop;
extern bool RemindMe;
extern QString HelpFile; // the application's help file name; empty until a language chooses one

// The system proxy, for the version check.
extern bool ProxyEnabled;
extern QString ProxyHost;
extern int ProxyPort;

// Tables, built once at start-up in the start-up language.
extern TChordTable ChordTable;
extern TScaleTable ScaleTable;
extern TNoteNames NoteNames;

// The selection shared by the main window, the pattern editor and the set-up dialog.
extern int CurrentRoot;      // 1..12
extern int CurrentChord;     // 1..60
extern int CurrentInversion; // -1 top note down, 0 none, +1 root up
extern int Octave;           // set to 2 by every chord spelling
extern bool PatternFormCreated;

// The chord or scale on show, and the notes still sounding from the last playback.
extern TNoteSlots ChordNotes;
extern TNoteSlots SoundingNotes;

// The analysis window's held keys per pitch class.
extern TPitchClassCounts PitchClassCounts;
extern bool AnalyserOpen;

} // namespace model
