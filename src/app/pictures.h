#pragma once
// The program's pictures, addressed by their resource numbers (":/res/<number>.svg", or ".png" where
// they are drawn at build time).
#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QSize>

class QWidget;

namespace pictures {

// Registers the embedded pictures and manual; call once before the first window opens.
void initResources();

QString path(int id);
// True when the picture is there and can be read.
bool exists(int id);
// The size the picture is drawn for; invalid when there is no such picture.
QSize naturalSize(int id);
// The picture rendered at size (its natural size when size is empty), on transparent pixels.
// Null when the picture does not exist.
QImage render(int id, QSize size = {});
QPixmap pixmap(int id, QSize size = {});
// The program's icon, worn by every window.
QIcon applicationIcon();

// A small screen is exactly 800 by 600 pixels; every other size counts as large.
bool isSmallScreen(const QWidget* widget);
int bySize(const QWidget* widget, int smallId, int largeId);

} // namespace pictures
