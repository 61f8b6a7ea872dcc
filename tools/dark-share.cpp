// Prints the share of dark pixels, in whole percent, along a row of a screenshot: how far
// a black bar on white reaches (a gauge read from the screen).
// Usage: dark-share <file.png> <x> <y> <width>
#include <QColor>
#include <QImage>
#include <cmath>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    if (argc != 5) {
        std::fprintf(stderr, "usage: dark-share <file.png> <x> <y> <width>\n");
        return 2;
    }
    QImage image(QString::fromLocal8Bit(argv[1]));
    if (image.isNull()) {
        std::fprintf(stderr, "dark-share: cannot read %s\n", argv[1]);
        return 1;
    }
    const int x = std::atoi(argv[2]), y = std::atoi(argv[3]), width = std::atoi(argv[4]);
    if (width <= 0 || x < 0 || y < 0 || y >= image.height() || x + width > image.width()) {
        std::fprintf(stderr, "dark-share: the row lies outside the %dx%d picture\n", image.width(),
                     image.height());
        return 1;
    }
    int dark = 0;
    for (int i = x; i < x + width; ++i)
        if (qGray(image.pixel(i, y)) < 128) ++dark;
    std::printf("%d\n", static_cast<int>(std::lround(100.0 * dark / width)));
    return 0;
}
