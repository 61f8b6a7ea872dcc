#include "framework/Bitmaps.h"

#include <QPainter>

TBitmap::TBitmap() : canvas_(&image_) {}

TBitmap::TBitmap(int width, int height) : canvas_(&image_) {
    SetSize(width, height);
}

void TBitmap::SetSize(int width, int height) {
    if (width == Width() && height == Height() && !image_.isNull()) return;
    QImage next(std::max(0, width), std::max(0, height), QImage::Format_RGB32);
    next.fill(Qt::white);
    if (!image_.isNull()) {
        QPainter p(&next);
        p.drawImage(0, 0, image_);
    }
    image_ = next;
    canvas_.SetTarget(&image_);
}

void TBitmap::SetImage(const QImage& image) {
    image_ = image.convertToFormat(QImage::Format_RGB32);
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
