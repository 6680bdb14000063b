// Start-up: the default seed, the one main window, the first palette.
#pragma once

class mainGUI;

namespace mainModule {

// The one main window, created (hidden) on first use.
mainGUI& mainForm();

// Destroys the main window, if it exists, while Qt is still there.
void unloadMainForm();

// Paints the default seed and its first proposals into the hidden window, then shows it.
void Main();

// The program: Qt, Main, the event loop until the window closes, then teardown. Returns the exit status.
int run(int argc, char* argv[]);

} // namespace mainModule
