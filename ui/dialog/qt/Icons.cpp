#include "ui/dialog/Icons.h"

#include "res/AppIcon.h"
#include "ui/dialog/qt/WindowHandle.h"

#include <QIcon>
#include <QImage>
#include <QPixmap>

#include <map>

HICON AfxLoadIcon(int iconId)
{
    static std::map<int, QIcon> loaded;
    auto found = loaded.find(iconId);
    if (found == loaded.end()) {
        const CIconImage image = LoadIconImage(iconId);
        if (image.argb.empty())
            return nullptr;
        const QImage picture(reinterpret_cast<const uchar*>(image.argb.data()), image.width, image.height,
                             QImage::Format_ARGB32);
        found = loaded.emplace(iconId, QIcon(QPixmap::fromImage(picture))).first;
    }
    return &found->second;
}

QIcon QtIcon(HICON icon)
{
    return icon ? *static_cast<QIcon*>(icon) : QIcon();
}
