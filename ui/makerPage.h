// The maker's web page, which the notice picture opens.
#pragma once

#include <QString>

namespace makerPage {

// A reserved host (.example): no stranger's site is ever opened.
inline const QString kAddress = QStringLiteral("http://www.quenlot.example/color/");

} // namespace makerPage
