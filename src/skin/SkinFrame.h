#pragma once

// The skinned frame's elements that follow the mouse are the caption
// buttons and the menu bar's buttons (TNCObject, with the menu bar).
#include "skin/SkinMenuBar.h"

namespace skin {

// The frame of a multi-frame caption button picture to draw for a mouse
// state or an inactive window: never past the picture's last frame.
int ClampedFrame(int frame, int frameCount);

} // namespace skin
