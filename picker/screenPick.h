// Picking by freezing every screen and letting the user point at a pixel of the frozen image.
#pragma once

#include "pickedColor.h"

namespace colorPicker::detail {

// Grabs every screen, covers each with an overlay of its grab and waits in a nested event loop until
// the user picks (left click, Enter) or cancels (Escape, right click). Needs a QApplication. Leaves no
// overlay, grab or override cursor behind. When a screen cannot be grabbed, returns at once with one
// line on standard error.
PickOutcome pickFromScreens();

} // namespace colorPicker::detail
