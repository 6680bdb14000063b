// What a user can do to the main window. Every route (mouse, keys, assistive technologies, the copy
// menu) names one of these to mainGUI::perform, which alone says what each does.
#pragma once

#include <cstdint>

enum class Action : std::uint8_t {
    boxClick,       // a box: border, clipboard, read-out
    boxDoubleClick, // a proposal becomes the seed; the centre opens the color dialog
    copyMenu,       // a box's copy menu, whose choice is one of the three below
    copyWeb,        // "#RRGGBB"
    copyCss,        // "rgb(r, g, b)"
    copyPalette,    // nine "#RRGGBB" lines in the grid's reading order
    newProposals,   // ">"
    spreadUp,       // one page step of the slider, and new proposals
    spreadDown,
    eyedropper, // the seed from the screen
    notice,     // the maker's page
    background, // a click beside every control: the border goes
    undo,       // the palette before the last change
    redo,       // the change undone last, again
    keep,       // a proposal kept through changes, or released
    save,       // the palette as a GIMP palette file
    paste,      // the clipboard's color as the seed
    drop,       // a dropped color as the seed
};
