#include "model/Declare.h"

namespace model {

bool WindowCompact = false;
bool AlterationsEnDiese = false;
bool Notation = false;
bool AutoListen = false;
int ListenType = 0;
QString MidiIFIn;
QString MidiIFOut;
int Son = 0;
int Detune = 0;
int MidiChannel = 0;
int Language = 0;
int Speed = 0;
QString Background;
bool OnTop = false;
bool RemindMe = false;
QString HelpFile;

bool ProxyEnabled = false;
QString ProxyHost;
int ProxyPort = 0;

TChordTable ChordTable;
TScaleTable ScaleTable;
TNoteNames NoteNames;

int CurrentRoot = 1;
int CurrentChord = 1;
int CurrentInversion = 0;
int Octave = 2;
bool PatternFormCreated = false;

TNoteSlots ChordNotes;
TNoteSlots SoundingNotes;

TPitchClassCounts PitchClassCounts;
bool AnalyserOpen = false;

} // namespace model
