#pragma once

#include "ui/QtTranslation.h"

#include <functional>
#include <memory>

class QWidget;
class TAboutBox;
class TFormMain;
class TFrmMidiSetup;
class TFrmPattern;

namespace ui {

// The windows the program creates at start, in start-up order, kept until
// it ends. The main window plays its first chord while it is created; that
// playback reaches the output once events are handled, by which time the
// set-up dialog has opened it.
class TProgramWindows {
public:
    TProgramWindows();
    // Ends, then the windows go.
    ~TProgramWindows();
    TProgramWindows(const TProgramWindows &) = delete;
    TProgramWindows &operator=(const TProgramWindows &) = delete;

    TFormMain &FormMain() const { return *FFormMain; }
    TAboutBox &AboutBox() const { return *FAboutBox; }
    TFrmPattern &Pattern() const { return *FPattern; }
    TFrmMidiSetup &MidiSetup() const { return *FMidiSetup; }

    // The program ends, as it does when the main window closes: playbacks
    // not run yet never run, one running returns from its wait at once and
    // sends nothing more, the notes still sounding (the last chord's and what
    // analysis windows played) are switched off, and the MIDI devices close.
    void End();

private:
    // Made before the windows and gone after them.
    TQtTranslation FQtTranslation;
    std::unique_ptr<TFormMain> FFormMain;
    std::unique_ptr<TAboutBox> FAboutBox;
    std::unique_ptr<TFrmPattern> FPattern;
    std::unique_ptr<TFrmMidiSetup> FMidiSetup;
};

// Creates the program's windows in start-up order and runs the message loop
// until the main window closes. onCreated, when given, sees the main window
// once it is built, before it is first shown.
int RunProgram(int argc, char **argv, std::function<void(QWidget *mainWindow)> onCreated = {});

} // namespace ui
