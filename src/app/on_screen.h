#pragma once
// Every window the program opens (dialogs, the help window, the file chooser) goes where its whole
// frame, caption and borders included, lies inside the free area of its screen.
#include <QMargins>
#include <QRect>

class QWidget;

// The frame a window manager draws around a window before the window is shown and its frame known.
inline constexpr QMargins guessedFrame{8, 32, 8, 8};

// Where a window of geometry wanted (without its frame) goes so that its frame lies inside
// available: moved in, and first made smaller when it may be resized and is too large.
QRect placedInside(QRect wanted, QMargins frame, const QRect& available, bool resizable);

// Moves window, and shrinks it where it may be resized, so that its frame lies inside its screen.
void keepOnScreen(QWidget* window);
// Centres window over the window over, then keeps it on screen.
void placeOver(QWidget* window, const QWidget* over);
