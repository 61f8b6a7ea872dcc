// Draws the installer's pictures: the main window's background with its three buttons, a
// lit copy of each button for the hover highlights, and the directory window's banner.
// Usage: artwork <output folder>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QRandomGenerator>
#include <cstdio>

namespace {

struct Button {
    QRect area;  // the hot-spot
    const char* text;
    QColor tint;
};

// The hot-spots of the main window and the pictures cut from the lit copy.
const Button kButtons[] = {
    {{288, 73, 84, 74}, "INSTALL", QColor(70, 170, 90)},
    {{394, 41, 74, 70}, "INFO", QColor(70, 120, 200)},
    {{392, 131, 77, 75}, "EXIT", QColor(200, 70, 60)},
};
const QRect kHighlights[] = {{285, 72, 89, 78}, {389, 37, 82, 79}, {390, 128, 82, 78}};
const char* kHighlightFiles[] = {"install.jpg", "info.jpg", "exit.jpg"};

void drawButton(QPainter& p, const Button& b, bool lit) {
    QRectF r = QRectF(b.area).adjusted(4, 4, -4, -4);
    QRadialGradient g(r.center() - QPointF(r.width() / 5, r.height() / 5), r.width() * 0.75);
    QColor face = lit ? b.tint.lighter(175) : b.tint.darker(130);
    g.setColorAt(0, face.lighter(lit ? 130 : 115));
    g.setColorAt(1, face.darker(lit ? 110 : 160));
    if (lit) {
        QRadialGradient glow(r.center(), r.width() * 0.75);
        glow.setColorAt(0.6, QColor(255, 240, 160, 140));
        glow.setColorAt(1, QColor(255, 240, 160, 0));
        p.setPen(Qt::NoPen);
        p.setBrush(glow);
        p.drawEllipse(r.adjusted(-6, -6, 6, 6));
    }
    p.setPen(QPen(lit ? QColor(255, 245, 200) : QColor(20, 20, 30), 2));
    p.setBrush(g);
    p.drawEllipse(r);
    QFont f("DejaVu Sans", 9, QFont::Bold);
    p.setFont(f);
    p.setPen(lit ? QColor(40, 30, 10) : QColor(230, 230, 240));
    p.drawText(r, Qt::AlignCenter, b.text);
}

QImage background(bool lit) {
    QImage img(489, 387, QImage::Format_RGB32);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, 387);
    sky.setColorAt(0, QColor(8, 10, 40));
    sky.setColorAt(0.6, QColor(40, 20, 70));
    sky.setColorAt(1, QColor(90, 40, 60));
    p.fillRect(img.rect(), sky);
    // Stars, the same for both copies.
    QRandomGenerator rng(1998);
    for (int i = 0; i < 160; ++i) {
        int x = rng.bounded(489), y = rng.bounded(300), a = 80 + rng.bounded(170);
        p.setPen(QColor(255, 255, 255, a));
        p.drawPoint(x, y);
    }
    // A hill and a tower: Tarnwick.
    QPainterPath hill;
    hill.moveTo(0, 330);
    hill.cubicTo(120, 280, 240, 300, 489, 320);
    hill.lineTo(489, 387);
    hill.lineTo(0, 387);
    p.fillPath(hill, QColor(20, 14, 24));
    p.fillRect(QRect(70, 210, 34, 100), QColor(28, 20, 32));
    QPolygon roof({QPoint(62, 212), QPoint(87, 170), QPoint(112, 212)});
    p.setBrush(QColor(28, 20, 32));
    p.setPen(Qt::NoPen);
    p.drawPolygon(roof);
    p.fillRect(QRect(82, 230, 10, 14), QColor(250, 210, 110));
    // Panel behind the buttons.
    p.setBrush(QColor(0, 0, 0, 90));
    p.setPen(QPen(QColor(160, 140, 200, 120), 1));
    p.drawRoundedRect(QRect(276, 30, 204, 186), 12, 12);
    // Strips for the marquee and the credits.
    p.fillRect(QRect(10, 360, 474, 24), QColor(0, 0, 0));
    p.fillRect(QRect(147, 74, 95, 19), QColor(0, 0, 0));
    for (const Button& b : kButtons) drawButton(p, b, lit);
    return img;
}

QImage banner() {
    QImage img(319, 56, QImage::Format_RGB32);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient g(0, 0, 319, 0);
    g.setColorAt(0, QColor(8, 10, 40));
    g.setColorAt(1, QColor(90, 40, 60));
    p.fillRect(img.rect(), g);
    p.setPen(QColor(250, 210, 110));
    p.setFont(QFont("DejaVu Sans", 16, QFont::Bold));
    p.drawText(img.rect().adjusted(12, 0, 0, 0), Qt::AlignVCenter | Qt::AlignLeft, "TARNWICK");
    p.setPen(QColor(200, 200, 230));
    p.setFont(QFont("DejaVu Sans", 8));
    p.drawText(img.rect().adjusted(0, 0, -12, -8), Qt::AlignBottom | Qt::AlignRight,
               "choose where to install");
    return img;
}

bool save(const QImage& img, const QString& path) {
    if (!img.save(path, "JPG", 92)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: artwork <output folder>\n");
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QString dir = QString::fromLocal8Bit(argv[1]);
    bool ok = save(background(false), dir + "/background.jpg");
    QImage lit = background(true);
    for (int i = 0; i < 3; ++i)
        ok &= save(lit.copy(kHighlights[i]), dir + "/" + kHighlightFiles[i]);
    ok &= save(banner(), dir + "/banner.jpg");
    return ok ? 0 : 1;
}
