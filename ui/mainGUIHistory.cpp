// Undo, redo and kept colors: the palette's changes as steps, in memory only.
#include "mainGUI.h"

#include <QFrame>
#include <QSignalBlocker>
#include <QSlider>

#include "corvColor.h"
#include "paletteColors.h"

using corvPalette::paletteColors;

corvPalette::PaletteState mainGUI::paletteState() const {
    corvPalette::PaletteState state = shown;
    for (BoxIndex k = 0; k < corvPalette::kBoxCount; ++k) {
        state.colors.at(static_cast<std::size_t>(k)) = paletteColors(k);
    }
    state.spread = sliderValue();
    return state;
}

void mainGUI::startHistory() {
    shown = paletteState();
}

// Anything that drew new proposals or took a new seed is one step; a drag of the thumb is one from press
// to release, so this waits for the release.
void mainGUI::recordChange() {
    if (sdLightChroma->isSliderDown()) {
        return;
    }
    const corvPalette::PaletteState now = paletteState();
    if (now != shown) {
        history.changed(shown);
        shown = now;
    }
}

// The palette as it was, seed, proposals, slider and kept boxes alike, without drawing anything; the
// border and the read-out go, as after ">". The random source goes on where it was.
void mainGUI::undoOrRedo(Action action) {
    const auto state = action == Action::undo ? history.undo(paletteState()) : history.redo(paletteState());
    if (!state) {
        return;
    }
    shown = *state;
    for (BoxIndex k = 0; k < corvPalette::kBoxCount; ++k) {
        paletteColors(k) = shown.colors.at(static_cast<std::size_t>(k));
        paintBox(k, paletteColors(k));
    }
    const QSignalBlocker quiet(sdLightChroma);
    sdLightChroma->setValue(shown.spread);
    // The color dialog's preset is the last proposal, as after any palette drawn.
    const corvColor::Rgb last = corvColor::channelsOf(paletteColors(8));
    corvColor::curRed = last.red;
    corvColor::curGreen = last.green;
    corvColor::curBlue = last.blue;
    border(-1);
    updateLabelRGB(-1);
}

// Keeping is no change of the palette: no step, but the palette shown now keeps it.
void mainGUI::toggleKeep(BoxIndex Index) {
    if (Index <= 0) {
        return; // the seed is never kept
    }
    shown.kept.flip(static_cast<std::size_t>(Index));
    describeBox(Index, paletteColors(Index));
    box(Index)->update();
}
