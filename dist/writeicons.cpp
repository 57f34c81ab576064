// Writes the program icon as the PNG files a desktop's icon theme takes:
// <folder>/<n>x<n>/apps/NYO.png for each size, the layout of share/icons/hicolor.
#include "res/resource.h"
#include "res/resources.h"

#include <QDir>
#include <QGuiApplication>
#include <QImage>

#include <cstdio>

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <hicolor folder>\n", argv[0]);
        return 2;
    }
    const QString root = QString::fromLocal8Bit(argv[1]);
    for (int size : {16, 24, 32, 48, 64, 128, 256}) {
        const QString folder = QStringLiteral("%1/%2x%2/apps").arg(root).arg(size);
        if (!QDir().mkpath(folder) || !Res::iconImage(IDR_MAINFRAME, size).save(folder + QStringLiteral("/NYO.png"))) {
            std::fprintf(stderr, "cannot write the icons into %s\n", qPrintable(folder));
            return 1;
        }
    }
    return 0;
}
