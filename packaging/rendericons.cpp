// Renders the program's own icon into the hicolor theme's sizes:
// <folder>/<n>x<n>/apps/vantrel.png for each size the theme expects of an
// application icon. Run at build time, so no picture is kept in the tree.
#include "res/ResourceIds.h"
#include "ui/dialog/qt/IconRendering.h"

#include <QDir>
#include <QString>

#include <cstdio>

namespace {

constexpr int kSizes[] = {16, 22, 24, 32, 48, 64, 128, 256};

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fputs("usage: rendericons <folder>\n", stderr);
        return 2;
    }
    for (const int size : kSizes) {
        const QString folder = QStringLiteral("%1/%2x%2/apps").arg(QString::fromLocal8Bit(argv[1])).arg(size);
        if (!QDir().mkpath(folder) || !RenderIcon(IDR_MAINFRAME, size).save(folder + "/vantrel.png", "PNG")) {
            std::fprintf(stderr, "rendericons: cannot write %s\n", qPrintable(folder));
            return 1;
        }
    }
    return 0;
}
