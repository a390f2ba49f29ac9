#include "ui/dialog/Icons.h"

#include "res/AppIcon.h"
#include "ui/dialog/qt/IconRendering.h"
#include "ui/dialog/qt/WindowHandle.h"

#include <QIcon>
#include <QPixmap>

#include <map>

namespace {

// The sizes a desktop draws a window's icon at, in its title bar and task bar.
constexpr int kWindowIconSizes[] = {16, 24, 32, 48};

} // namespace

// An icon is a pixel drawing: it is first enlarged pixel by pixel to a whole
// multiple at least as large as the size wanted, so its edges stay sharp, and
// only then smoothed down to that size.
QImage RenderIcon(int iconId, int size)
{
    const CIconImage image = LoadIconImage(iconId);
    if (image.argb.empty())
        return {};
    const QImage icon
        = QImage(reinterpret_cast<const uchar*>(image.argb.data()), image.width, image.height, QImage::Format_ARGB32)
              .copy();
    const int factor = (size + icon.width() - 1) / icon.width();
    const QImage enlarged = icon.scaled(icon.size() * factor, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    if (enlarged.width() == size)
        return enlarged;
    return enlarged.scaled(size, size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

HICON AfxLoadIcon(int iconId)
{
    static std::map<int, QIcon> loaded;
    auto found = loaded.find(iconId);
    if (found == loaded.end()) {
        if (LoadIconImage(iconId).argb.empty())
            return nullptr;
        QIcon icon;
        for (const int size : kWindowIconSizes)
            icon.addPixmap(QPixmap::fromImage(RenderIcon(iconId, size)));
        found = loaded.emplace(iconId, icon).first;
    }
    return &found->second;
}

QIcon QtIcon(HICON icon)
{
    return icon ? *static_cast<QIcon*>(icon) : QIcon();
}
