// Tells the user, on standard error, why a pick could not even start or did not end with a color.
#pragma once

#include <QString>

namespace colorPicker::detail {

// Writes one line, "colorPicker: <why>", to standard error.
void reportNoPick(const QString& why);

} // namespace colorPicker::detail
