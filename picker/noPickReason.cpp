// Writes the reason a pick did not work to standard error.
#include "noPickReason.h"

#include <cstdio>

namespace colorPicker::detail {

void reportNoPick(const QString& why) {
    // Straight to stderr rather than through qWarning: the host may route Qt messages elsewhere,
    // and this line is meant for whoever started the program from a terminal.
    const QByteArray line = QStringLiteral("colorPicker: %1\n").arg(why).toLocal8Bit();
    std::fputs(line.constData(), stderr);
    std::fflush(stderr);
}

} // namespace colorPicker::detail
