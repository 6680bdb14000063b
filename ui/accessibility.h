// How assistive technologies see the window's controls: the boxes, ">", the eyedropper and the notice
// are buttons and a link whose press does what a click does; the slider's value is set as a move is.
#pragma once

namespace accessibility {

// Installs the interfaces for the controls named picPalette0..8, lbPageScroll, colorPicker and
// imageCopyright, and for the slider; every other widget keeps Qt's own. Call once, before the window is
// shown.
void exposeControls();

} // namespace accessibility
