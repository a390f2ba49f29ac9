#pragma once
// Icon 128, the application icon: one 32 x 32 image in 256 colours.
#include <QIcon>
#include <QPixmap>

QPixmap LoadAppIconPixmap();
QIcon LoadAppIcon();
