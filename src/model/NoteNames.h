#pragma once

// The names of the 12 pitch classes as the user chose to see them.
#include "model/Declare.h"

namespace model {

// Letter names (C D E) or solfège names (Do Ré Mi); black keys named with
// sharps or with flats.
TNoteNames NoteNamesFor(bool letters, bool sharps);

// Rewrites NoteNames from Notation and AlterationsEnDiese; run after either changes.
void FillNoteNames();

} // namespace model
