// Keeps the host's windows from taking input while a pick waits for the desktop portal.
#pragma once

#include <QObject>

#include <functional>

namespace colorPicker::detail {

// While it exists, no mouse, wheel, key, hover, tooltip or shortcut event reaches any object of the
// application, as while the screen overlay covers every screen. Closing a window still works. Escape
// runs `onEscape`, so the user can cancel from the host's window.
class InputBlock : public QObject {
    Q_OBJECT
public:
    explicit InputBlock(std::function<void()> onEscape);
    ~InputBlock() override;
    InputBlock(const InputBlock&) = delete;
    InputBlock& operator=(const InputBlock&) = delete;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::function<void()> onEscape_;
};

} // namespace colorPicker::detail
