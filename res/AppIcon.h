#pragma once
// Icon 128, the application icon: one 32 x 32 image in 256 colours.
#include <QIcon>
#include <QImage>
#include <QPixmap>

// The image itself, which needs no application object.
QImage LoadAppIconImage();
QPixmap LoadAppIconPixmap();
QIcon LoadAppIcon();
// The icon resource with this id, as a dialog template's static icon names
// it; a null pixmap when there is none.
QPixmap LoadIconPixmap(int iconId);
