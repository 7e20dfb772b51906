#pragma once

#include "platform/EarlyWork.h"

#include <QIcon>
#include <QImage>
#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

// The panel pictures are embedded in the ui library. A library's embedded
// files stay unreachable until it registers them, so call this before
// loading any of the paths below (it may be called any number of times).
void InitPanelResources();

// Backdrop of the 48 keys: the case, its felt strip and the key bed (616 x 105).
inline constexpr char PanelKeyboardPicture[] = ":/panel/keyboard.png";
// Play button strip: normal, hover, pressed, disabled (4 x 32 x 32, white corners transparent).
inline constexpr char PanelPlayPicture[] = ":/panel/play.png";
inline constexpr char PanelSwitchOnPicture[] = ":/panel/switch_on.png";
inline constexpr char PanelSwitchOffPicture[] = ":/panel/switch_off.png";
// Background of the staff area (409 x 257); also installed beside the program as default.jpg.
inline constexpr char PanelDefaultBackground[] = ":/panel/default.jpg";
inline constexpr char PanelIcon[] = ":/panel/icon.png";
// The analysis window's find-chord button: a chord and a question mark (64 x 50, clear ground).
inline constexpr char PanelChordPicture[] = ":/panel/chord.png";
// The about box: the program's picture (255 x 261), the mail link's envelope
// (18 x 9) and the web site link's globe (16 x 17), both on a clear ground.
inline constexpr char PanelAboutPicture[] = ":/panel/about.png";
inline constexpr char PanelMailPicture[] = ":/panel/mail.png";
inline constexpr char PanelHomepagePicture[] = ":/panel/homepage.png";
// The main window's menu pictures, 16 x 16 each side by side: chord analysis,
// chord pattern, progressions, practice, set-up, help, about.
inline constexpr char PanelMenuPictures[] = ":/panel/menu.png";

// Reads a picture, trying first the format its name's extension says with
// no other reader involved: asking Qt to guess makes it load every picture
// plugin installed, which costs several milliseconds at start-up. When that
// fails, the file's content decides. A null image is returned on failure,
// with the reader's reason in *error. A picture read ahead is taken as it
// was read, waiting for it if it is being read.
QImage ReadPicture(const QString &fileName, QString *error = nullptr);

// Begins reading pictures of our own (embedded ones, which never change)
// ahead, so that ReadPicture finds them read, and keeps them for every later
// caller. Returns the work in the order given, for the caller to start on a
// thread of its own; a name that is no embedded file is left out, and read
// when it is asked for.
std::vector<std::shared_ptr<platform::TEarlyWork>> ReadPicturesAhead(const QStringList &fileNames);

// Loads the reader of a picture's format ahead, reading only the picture's
// size: the first picture of that format read later (JPEG's reader is a
// plugin) then does not wait for its reader to load. Returns the work, for
// the caller to start on a thread of its own.
std::shared_ptr<platform::TEarlyWork> LoadPictureReaderAhead(const QString &fileName);

// The program's icon, for every window of ours.
QIcon ProgramIcon();
