// The undo and redo steps of the palette.
#include "history.h"

namespace corvPalette {

void History::changed(const PaletteState& before) {
    undone_.push_back(before);
    if (undone_.size() > kMaxSteps) {
        undone_.pop_front();
    }
    redone_.clear();
}

std::optional<PaletteState> History::undo(const PaletteState& current) {
    if (undone_.empty()) {
        return std::nullopt;
    }
    const PaletteState previous = undone_.back();
    undone_.pop_back();
    redone_.push_back(current);
    return previous;
}

std::optional<PaletteState> History::redo(const PaletteState& current) {
    if (redone_.empty()) {
        return std::nullopt;
    }
    const PaletteState next = redone_.back();
    redone_.pop_back();
    undone_.push_back(current);
    return next;
}

} // namespace corvPalette
