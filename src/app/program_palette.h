#pragma once
// The colours of the program's own windows: dark text on light ground whatever the desktop's theme,
// as the artwork is light. System dialogs (the file chooser) keep the desktop's colours.
#include <QPalette>

QPalette programPalette();
