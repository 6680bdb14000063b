// The application object, or one line saying that there is no display to show Corvella on.
#pragma once

#include <QApplication>

#include <memory>

namespace onDisplay {

// Creates the QApplication. When Qt cannot open a display for it, writes one line naming the display
// on standard error and ends the program with status 1, instead of Qt's abort.
std::unique_ptr<QApplication> openApplication(int& argc, char** argv);

} // namespace onDisplay
