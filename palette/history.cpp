// The undo and redo steps of the palette.
#include "history.h"

namespace corvPalette {

namespace {

// The newest state of `from`, which `current` replaces there by going onto `to`.
std::optional<PaletteState> step(std::deque<PaletteState>& from, std::deque<PaletteState>& to,
                                 const PaletteState& current) {
    if (from.empty()) {
        return std::nullopt;
    }
    const PaletteState newest = from.back();
    from.pop_back();
    to.push_back(current);
    return newest;
}

} // namespace

void History::changed(const PaletteState& before) {
    undone_.push_back(before);
    if (undone_.size() > kMaxSteps) {
        undone_.pop_front();
    }
    redone_.clear();
}

std::optional<PaletteState> History::undo(const PaletteState& current) {
    return step(undone_, redone_, current);
}

std::optional<PaletteState> History::redo(const PaletteState& current) {
    return step(redone_, undone_, current);
}

} // namespace corvPalette
