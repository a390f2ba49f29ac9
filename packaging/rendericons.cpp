// Renders the program's own icon into the hicolor theme's sizes:
// <folder>/<n>x<n>/apps/vantrel.png for each size the theme expects of an
// application icon. Run at build time, so no picture is kept in the tree.
#include "res/AppIcon.h"
#include "res/ResourceIds.h"

#include <QDir>
#include <QImage>
#include <QString>

#include <cstdio>

namespace {

constexpr int kSizes[] = {16, 22, 24, 32, 48, 64, 128, 256};

// The 32-pixel drawing is a pixel drawing: it is first enlarged pixel by
// pixel to a whole multiple at least as large as the size wanted, so its
// edges stay sharp, and only then smoothed down to that size.
QImage Rendered(const QImage& icon, int size)
{
    const int factor = (size + icon.width() - 1) / icon.width();
    const QImage enlarged = icon.scaled(icon.size() * factor, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    if (enlarged.width() == size)
        return enlarged;
    return enlarged.scaled(size, size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fputs("usage: rendericons <folder>\n", stderr);
        return 2;
    }
    const CIconImage image = LoadIconImage(IDR_MAINFRAME);
    const QImage icon(reinterpret_cast<const uchar*>(image.argb.data()), image.width, image.height,
                      QImage::Format_ARGB32);
    for (const int size : kSizes) {
        const QString folder = QStringLiteral("%1/%2x%2/apps").arg(QString::fromLocal8Bit(argv[1])).arg(size);
        if (!QDir().mkpath(folder) || !Rendered(icon, size).save(folder + "/vantrel.png", "PNG")) {
            std::fprintf(stderr, "rendericons: cannot write %s\n", qPrintable(folder));
            return 1;
        }
    }
    return 0;
}
