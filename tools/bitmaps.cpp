// Draws the small 16-colour bitmaps of the drive selector and the directory list.
// The bottom-left pixel of each is its transparent colour.
// Usage: bitmaps <output folder>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <cstdio>

namespace {

// The 16-colour palette of the platform.
const QRgb kPalette[16] = {
    qRgb(0, 0, 0),       qRgb(128, 0, 0),     qRgb(0, 128, 0),   qRgb(128, 128, 0),
    qRgb(0, 0, 128),     qRgb(128, 0, 128),   qRgb(0, 128, 128), qRgb(192, 192, 192),
    qRgb(128, 128, 128), qRgb(255, 0, 0),     qRgb(0, 255, 0),   qRgb(255, 255, 0),
    qRgb(0, 0, 255),     qRgb(255, 0, 255),   qRgb(0, 255, 255), qRgb(255, 255, 255),
};
const QColor kTransparent(0, 128, 128);  // teal

QImage canvas(int w, int h) {
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(kTransparent);
    return img;
}

void box(QPainter& p, QRect r, QColor fill, QColor line) {
    p.fillRect(r, fill);
    p.setPen(line);
    p.drawRect(r.adjusted(0, 0, -1, -1));
}

QImage drive(const char* kind) {
    QImage img = canvas(16, 11);
    QPainter p(&img);
    QString k = kind;
    if (k == "FLOPPY") {
        box(p, QRect(1, 1, 14, 9), QColor(192, 192, 192), Qt::black);
        p.fillRect(QRect(3, 4, 10, 2), Qt::black);
        p.fillRect(QRect(11, 7, 2, 1), QColor(0, 255, 0));
    } else if (k == "HARD") {
        box(p, QRect(0, 3, 16, 7), QColor(192, 192, 192), Qt::black);
        p.fillRect(QRect(1, 4, 14, 1), Qt::white);
        p.fillRect(QRect(12, 6, 2, 2), QColor(0, 255, 0));
    } else if (k == "NETWORK") {
        box(p, QRect(0, 3, 16, 6), QColor(192, 192, 192), Qt::black);
        p.fillRect(QRect(7, 9, 2, 2), Qt::black);
        p.fillRect(QRect(2, 10, 12, 1), Qt::black);
        p.fillRect(QRect(12, 5, 2, 2), QColor(255, 255, 0));
    } else if (k == "CDROM") {
        box(p, QRect(0, 3, 16, 7), QColor(192, 192, 192), Qt::black);
        p.fillRect(QRect(3, 5, 8, 1), Qt::black);
        p.setPen(QColor(0, 0, 255));
        p.drawEllipse(QRect(10, 0, 5, 5));
    } else if (k == "RAM") {
        box(p, QRect(0, 2, 16, 6), QColor(0, 128, 0), Qt::black);
        for (int x = 2; x < 15; x += 3) p.fillRect(QRect(x, 8, 1, 2), QColor(255, 255, 0));
        p.fillRect(QRect(3, 4, 3, 2), Qt::black);
        p.fillRect(QRect(9, 4, 3, 2), Qt::black);
    }
    return img;
}

QImage folder(const char* kind) {
    QImage img = canvas(16, 15);
    QPainter p(&img);
    QString k = kind;
    QColor face = k == "CURRENTFOLDER" ? QColor(255, 255, 0) : QColor(192, 192, 0);
    if (k == "CLOSEDFOLDER") face = QColor(255, 255, 0);
    p.fillRect(QRect(1, 3, 6, 2), face);
    p.setPen(Qt::black);
    p.drawRect(QRect(1, 3, 6, 2).adjusted(0, 0, -1, 0));
    box(p, QRect(1, 5, 14, 9), face, Qt::black);
    if (k == "OPENFOLDER" || k == "CURRENTFOLDER") {
        // An open folder: the front flap drawn lower.
        p.fillRect(QRect(3, 8, 12, 6), QColor(255, 255, 255));
        p.drawLine(3, 8, 14, 8);
    }
    if (k == "CURRENTFOLDER") p.fillRect(QRect(6, 10, 4, 2), QColor(255, 0, 0));
    return img;
}

bool save(QImage img, const QString& path) {
    // 16 colours: map to the palette.
    QVector<QRgb> table(std::begin(kPalette), std::end(kPalette));
    QImage indexed = img.convertToFormat(QImage::Format_Indexed8, table, Qt::ThresholdDither);
    if (!indexed.save(path, "BMP")) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: bitmaps <output folder>\n");
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QString dir = QString::fromLocal8Bit(argv[1]);
    bool ok = true;
    for (const char* d : {"FLOPPY", "HARD", "NETWORK", "CDROM", "RAM"}) ok &= save(drive(d), dir + "/" + d + ".bmp");
    for (const char* f : {"OPENFOLDER", "CLOSEDFOLDER", "CURRENTFOLDER"})
        ok &= save(folder(f), dir + "/" + f + ".bmp");
    return ok ? 0 : 1;
}
