// Prints how many blocks of n x n pixels of a screenshot's rectangle hold more than one
// colour, the blocks counted from the rectangle's corner: a picture enlarged n times pixel by
// pixel has none, one drawn at the screen's own pixels has them wherever an edge runs.
// Usage: block-detail <file.png> <x> <y> <width> <height> <n>
#include <QImage>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    if (argc != 7 && argc != 8) {
        std::fprintf(stderr,
                     "usage: block-detail <file.png> <x> <y> <width> <height> <n> [crop.png]\n");
        return 2;
    }
    QImage image(QString::fromLocal8Bit(argv[1]));
    if (image.isNull()) {
        std::fprintf(stderr, "block-detail: cannot read %s\n", argv[1]);
        return 1;
    }
    const int x = std::atoi(argv[2]), y = std::atoi(argv[3]);
    const int w = std::atoi(argv[4]), h = std::atoi(argv[5]), n = std::atoi(argv[6]);
    if (n < 1 || w < n || h < n || x < 0 || y < 0 || x + w > image.width() ||
        y + h > image.height()) {
        std::fprintf(stderr, "block-detail: the rectangle lies outside the %dx%d picture\n",
                     image.width(), image.height());
        return 1;
    }
    int mixed = 0;
    for (int by = y; by + n <= y + h; by += n)
        for (int bx = x; bx + n <= x + w; bx += n) {
            const QRgb first = image.pixel(bx, by);
            bool one = true;
            for (int j = 0; j < n && one; ++j)
                for (int i = 0; i < n && one; ++i) one = image.pixel(bx + i, by + j) == first;
            mixed += !one;
        }
    if (argc == 8 && !image.copy(x, y, w, h).save(QString::fromLocal8Bit(argv[7]))) {
        std::fprintf(stderr, "block-detail: cannot write %s\n", argv[7]);
        return 1;
    }
    std::printf("%d\n", mixed);
    return 0;
}
