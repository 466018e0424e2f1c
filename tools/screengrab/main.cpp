// Saves a picture of the whole X screen, for screenshots taken under a
// virtual display where no other grabbing tool is installed. With
// --min-colours N it also says whether anything is drawn there: an empty
// virtual screen has one or two colours, a window many.
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QSet>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

int CountColours(const QImage& picture, int enough) {
    const QImage rgb = picture.convertToFormat(QImage::Format_RGB32);
    QSet<QRgb> seen;
    for (int y = 0; y < rgb.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        for (int x = 0; x < rgb.width(); ++x) {
            seen.insert(line[x]);
            if (seen.size() >= enough)
                return seen.size();
        }
    }
    return seen.size();
}

}  // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    const char* program = argv[0];
    int minColours = 0;
    if (argc == 4 && std::strcmp(argv[1], "--min-colours") == 0) {
        minColours = std::atoi(argv[2]);
        argv += 2;
        argc -= 2;
    }
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s [--min-colours N] OUT.png\n", program);
        return 2;
    }
    const QPixmap screen = QGuiApplication::primaryScreen()->grabWindow(0);
    if (!screen.save(QString::fromLocal8Bit(argv[1]))) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    if (minColours > 0) {
        const int colours = CountColours(screen.toImage(), minColours);
        if (colours < minColours) {
            std::fprintf(stderr, "the screen is blank: %d colours\n", colours);
            return 3;
        }
    }
    return 0;
}
