#pragma once
// Icon 128, the application icon: one 32 x 32 image in 256 colours, and the
// same drawing at the other sizes a desktop asks for.
#include <QIcon>
#include <QImage>
#include <QPixmap>

// The image itself, which needs no application object.
QImage LoadAppIconImage();
QPixmap LoadAppIconPixmap();
// The drawing at size x size pixels; needs no application object either.
QImage RenderAppIcon(int size);
// The window's icon, at each size a desktop draws a window's icon in its
// title bar and task bar: 16, 24, 32 and 48 pixels.
QIcon LoadAppIcon();
// The icon resource with this id, as a dialog template's static icon names
// it; a null pixmap when there is none.
QPixmap LoadIconPixmap(int iconId);
