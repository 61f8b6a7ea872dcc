#include "framework/Bitmaps.h"

#include <QPainter>
#include <cmath>

TBitmap::TBitmap() : canvas_(&image_) {}

TBitmap::TBitmap(int width, int height, qreal ratio) : canvas_(&image_) {
    resize(width, height, ratio);
}

void TBitmap::SetSize(int width, int height) {
    resize(width, height, image_.isNull() ? 1.0 : image_.devicePixelRatio());
}

void TBitmap::resize(int width, int height, qreal ratio) {
    width = std::max(0, width);
    height = std::max(0, height);
    if (width == width_ && height == height_ && !image_.isNull()) return;
    QImage next = MakeImage(width, height, ratio);
    next.fill(Qt::white);
    if (!image_.isNull()) {
        QPainter p(&next);
        p.drawImage(0, 0, image_);
    }
    image_ = next;
    width_ = width;
    height_ = height;
    canvas_.SetTarget(&image_);
}

void TBitmap::SetImage(const QImage& image) {
    image_ = image.convertToFormat(QImage::Format_RGB32);
    const qreal r = image_.devicePixelRatio();
    width_ = static_cast<int>(std::lround(image_.width() / r));
    height_ = static_cast<int>(std::lround(image_.height() / r));
    canvas_.SetTarget(&image_);
}

bool TBitmap::LoadFromResourceName(const std::string& name) {
    QImage img(QString(":/bitmaps/%1.bmp").arg(QString::fromStdString(name)));
    if (img.isNull()) return false;
    SetImage(img);
    return true;
}

TColor TBitmap::TransparentColor() const {
    if (image_.isNull() || image_.height() == 0) return clNone;
    return FromQColor(QColor(image_.pixel(0, image_.height() - 1)));
}
