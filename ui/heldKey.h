// A held key acts once: its auto-repeats must not reach what its first press opened.
#pragma once

#include <QObject>

class QKeyEvent;

namespace heldKey {

// While it exists, the auto-repeated presses and releases of `key` reach no object of the application:
// a held Enter that opened the color dialog must not go on to press the dialog's OK.
class SwallowRepeats final : public QObject {
public:
    explicit SwallowRepeats(int key);
    ~SwallowRepeats() override;
    SwallowRepeats(const SwallowRepeats&) = delete;
    SwallowRepeats& operator=(const SwallowRepeats&) = delete;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    int key_;
};

} // namespace heldKey
