#include "res/AppIcon.h"

#include "res/AppIcon.xpm"
#include "res/ResourceIds.h"

namespace {

constexpr int kWindowIconSizes[] = {16, 24, 32, 48};

} // namespace

QImage LoadAppIconImage()
{
    return QImage(app_icon_xpm);
}

QPixmap LoadAppIconPixmap()
{
    return QPixmap(app_icon_xpm);
}

// The 32-pixel drawing is a pixel drawing: it is first enlarged pixel by
// pixel to a whole multiple at least as large as the size wanted, so its
// edges stay sharp, and only then smoothed down to that size.
QImage RenderAppIcon(int size)
{
    const QImage icon = LoadAppIconImage().convertToFormat(QImage::Format_ARGB32);
    const int factor = (size + icon.width() - 1) / icon.width();
    const QImage enlarged = icon.scaled(icon.size() * factor, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    if (enlarged.width() == size)
        return enlarged;
    return enlarged.scaled(size, size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

QIcon LoadAppIcon()
{
    QIcon icon;
    for (const int size : kWindowIconSizes)
        icon.addPixmap(QPixmap::fromImage(RenderAppIcon(size)));
    return icon;
}

QPixmap LoadIconPixmap(int iconId)
{
    return iconId == IDR_MAINFRAME ? LoadAppIconPixmap() : QPixmap();
}
