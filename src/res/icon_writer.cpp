// Writes the application icon as a PNG file for the desktop entry.
#include <QGuiApplication>

#include <cstdio>

#include "res/bitmaps.h"

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUT.png\n", argv[0]);
        return 2;
    }
    return tramlet::AppIconImage(256).save(QString::fromLocal8Bit(argv[1])) ? 0 : 1;
}
