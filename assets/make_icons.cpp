// Writes the bar's own icon as the PNG files of the desktop's icon theme:
//   make_icons OUTPUT_DIR NAME SIZE...  ->  OUTPUT_DIR/SIZExSIZE/apps/NAME.png
// The build runs it, so the menu's icon cannot drift from the one on the bar.

#include "Glyphs.h"

#include <QDir>
#include <QImage>
#include <QString>
#include <cstdio>

int main(int argc, char** argv)
{
    if (argc < 4) {
        std::fprintf(stderr, "usage: make_icons OUTPUT_DIR NAME SIZE...\n");
        return 2;
    }
    const QString root = QString::fromLocal8Bit(argv[1]);
    const QString name = QString::fromLocal8Bit(argv[2]);
    for (int i = 3; i < argc; ++i) {
        const int size = QString::fromLatin1(argv[i]).toInt();
        const QString folder = QStringLiteral("%1/%2x%2/apps").arg(root).arg(size);
        const QString file = folder + QLatin1Char('/') + name + QStringLiteral(".png");
        if (size < 8 || !QDir().mkpath(folder) || !Glyphs::AppIcon(size).save(file, "PNG")) {
            std::fprintf(stderr, "make_icons: cannot write %s\n", qPrintable(file));
            return 1;
        }
    }
    return 0;
}
