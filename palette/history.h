// Undo and redo of the palette: the states it went through, in memory only.
#pragma once

#include <array>
#include <bitset>
#include <cstdint>
#include <deque>
#include <optional>

namespace corvPalette {

// What a change of the palette replaces and undo brings back: the nine colors (0 the seed), the
// slider's position they were drawn at, and which proposals are kept.
struct PaletteState {
    std::array<std::int32_t, 9> colors{};
    std::int16_t spread = 0;
    std::bitset<9> kept;

    bool operator==(const PaletteState&) const = default;
};

// The steps that undo and redo walk. A change after an undo drops the steps that could have been
// redone; beyond kMaxSteps the oldest step is forgotten.
class History {
public:
    static constexpr std::size_t kMaxSteps = 100;

    // A change replaced `before` with the palette shown now.
    void changed(const PaletteState& before);
    // The state to show instead of `current`, which becomes the step that redo brings back; empty when
    // there is nothing to undo.
    std::optional<PaletteState> undo(const PaletteState& current);
    // The reverse of undo.
    std::optional<PaletteState> redo(const PaletteState& current);

    bool canUndo() const { return !undone_.empty(); }
    bool canRedo() const { return !redone_.empty(); }

private:
    std::deque<PaletteState> undone_; // the newest at the back
    std::deque<PaletteState> redone_;
};

} // namespace corvPalette
