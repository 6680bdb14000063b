// The one way into the window: whether it takes input now, and what each user action does.
#include "mainGUI.h"

#include <QScopedValueRollback>
#include <QSlider>

#include "errorReport.h"

// Every dialog, message, menu and pick is opened by an action and waits inside it.
bool mainGUI::takesInput() const {
    return !acting;
}

// An action that opens a dialog, a message, the menu or a pick waits inside it; until it returns no
// other action starts, whichever route asks. The menu's choice is performed once the menu has closed.
// Whatever the action changed of the palette is one step for undo.
void mainGUI::perform(Action action, BoxIndex Index, std::optional<QPoint> at) {
    if (!takesInput()) {
        return;
    }
    std::optional<Action> chosen;
    {
        const QScopedValueRollback running(acting, true);
        errorReport::runGuarded([&] {
            chosen = act(action, Index, at);
            recordChange();
        });
    }
    if (chosen) {
        perform(*chosen, Index);
    }
}

std::optional<Action> mainGUI::act(Action action, BoxIndex Index, std::optional<QPoint> at) {
    switch (action) {
    case Action::boxClick:
        picPalette_Click(Index);
        break;
    case Action::boxDoubleClick:
        picPalette_DblClick(Index);
        break;
    case Action::copyMenu:
        return showCopyMenu(Index, at);
    case Action::copyWeb:
    case Action::copyCss:
    case Action::copyPalette:
        copy(action, Index);
        break;
    case Action::newProposals:
        lbPageScroll_MouseUp(1, 0, 0, 0); // the handler ignores the button, shift state and position
        break;
    case Action::spreadUp:
    case Action::spreadDown:
        // As a click on the track beside the thumb: one page step, which regenerates through valueChanged.
        sdLightChroma->triggerAction(action == Action::spreadUp ? QSlider::SliderPageStepAdd
                                                                : QSlider::SliderPageStepSub);
        break;
    case Action::eyedropper:
        colorPicker_Click();
        break;
    case Action::notice:
        imageCopyright_Click();
        break;
    case Action::background:
        Form_Click();
        break;
    case Action::undo:
    case Action::redo:
        undoOrRedo(action);
        break;
    case Action::keep:
        toggleKeep(Index);
        break;
    case Action::save:
        savePalette();
        break;
    case Action::paste:
        pasteSeed();
        break;
    case Action::drop:
        if (dropped) {
            takeSeed(*dropped);
        }
        break;
    }
    return std::nullopt;
}
