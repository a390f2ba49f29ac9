#include "res/AppIcon.h"

#include "res/AppIcon.xpm"

QImage LoadAppIconImage()
{
    return QImage(app_icon_xpm);
}

QPixmap LoadAppIconPixmap()
{
    return QPixmap(app_icon_xpm);
}

QIcon LoadAppIcon()
{
    return QIcon(LoadAppIconPixmap());
}
