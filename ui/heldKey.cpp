// The application-wide filter that keeps a held key's repeats from what its first press opened.
#include "heldKey.h"

#include <QCoreApplication>
#include <QKeyEvent>

namespace heldKey {

SwallowRepeats::SwallowRepeats(int key)
    : key_(key) {
    QCoreApplication::instance()->installEventFilter(this);
}

SwallowRepeats::~SwallowRepeats() {
    QCoreApplication::instance()->removeEventFilter(this);
}

// X delivers a held key as release and press pairs, both marked as repeats; the real release is not.
bool SwallowRepeats::eventFilter(QObject* watched, QEvent* event) {
    Q_UNUSED(watched);
    const QEvent::Type type = event->type();
    if (type != QEvent::KeyPress && type != QEvent::KeyRelease && type != QEvent::ShortcutOverride)
        return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    return key->isAutoRepeat() && key->key() == key_;
}

} // namespace heldKey
