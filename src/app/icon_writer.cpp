// Writes the program icon as PNG files in the standard sizes, for installation.
//
//   icon_writer OUTPUT_DIR   ->   OUTPUT_DIR/SIZExSIZE/velmora.png

#include <QDir>
#include <cstdio>

#include "window/app_icon.h"

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: icon_writer OUTPUT_DIR\n");
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    for (const int size : {16, 24, 32, 48, 64, 128, 256}) {
        const QString folder = QStringLiteral("%1x%1").arg(size);
        if (!out.mkpath(folder) ||
            !velmora::drawIcon(size).save(out.filePath(folder + QStringLiteral("/velmora.png")))) {
            std::fprintf(stderr, "icon_writer: cannot write %s\n", qPrintable(out.filePath(folder)));
            return 1;
        }
    }
    return 0;
}
