#include "res/AppIcon.h"

#include "res/AppIcon.xpm"
#include "res/ResourceIds.h"

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

QPixmap LoadIconPixmap(int iconId)
{
    return iconId == IDR_MAINFRAME ? LoadAppIconPixmap() : QPixmap();
}
