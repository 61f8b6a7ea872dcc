#include "framework/Canvas.h"

#include <QFontMetrics>
#include <QPainter>
#include <QRegularExpression>
#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <vector>

#include "framework/TextLayout.h"

namespace {

QRgb opaque(TColor c) {
    TColor rgb = ColorToRGB(c);
    return qRgb(GetRValue(rgb), GetGValue(rgb), GetBValue(rgb));
}

bool is32Bit(const QImage& img) {
    return img.format() == QImage::Format_RGB32 || img.format() == QImage::Format_ARGB32 ||
           img.format() == QImage::Format_ARGB32_Premultiplied;
}

}  // namespace

int DevicePixel(int logical, qreal ratio) {
    if (ratio == 1.0) return logical;
    return static_cast<int>(std::floor(logical * ratio + 0.5));
}

QImage MakeImage(int width, int height, qreal ratio, QImage::Format format) {
    QImage image(std::max(0, DevicePixel(width, ratio)), std::max(0, DevicePixel(height, ratio)),
                 format);
    image.setDevicePixelRatio(ratio);
    return image;
}

TRect TCanvas::ToDevice(const TRect& r) const {
    return {dev(r.Left), dev(r.Top), dev(r.Right), dev(r.Bottom)};
}

QImage TCanvas::deviceView() const {
    // The same memory, seen at ratio 1; bits() first makes the target's copy its own.
    uchar* bits = target_->bits();
    return QImage(bits, target_->width(), target_->height(), target_->bytesPerLine(),
                  target_->format());
}

TRect TCanvas::deviceClip() const {
    TRect all{0, 0, target_->width(), target_->height()};
    if (!clipped_) return all;
    TRect c = ToDevice(clip_);
    return {std::max(c.Left, 0), std::max(c.Top, 0), std::min(c.Right, all.Right),
            std::min(c.Bottom, all.Bottom)};
}

bool TCanvas::inDeviceClip(int x, int y) const {
    return HasTarget() && deviceClip().Contains(x, y);
}

void TCanvas::applyClip(QPainter& p) const {
    if (clipped_) p.setClipRect(clip_.ToQRect());
}

TColor TCanvas::Pixel(int x, int y) const {
    if (!HasTarget()) return clNone;
    x = dev(x);
    y = dev(y);
    if (x < 0 || y < 0 || x >= target_->width() || y >= target_->height()) return clNone;
    return FromQColor(QColor(target_->pixel(x, y)));
}

void TCanvas::setDevicePixel(int x, int y, TColor c) {
    if (!inDeviceClip(x, y)) return;
    if (pen_.Mode == TPenMode::pmXor) {
        QRgb old = target_->pixel(x, y);
        target_->setPixel(x, y, qRgb(qRed(old), qGreen(old), qBlue(old)) ^ (opaque(c) & 0xFFFFFF));
    } else if (pen_.Mode == TPenMode::pmNot) {
        QRgb old = target_->pixel(x, y);
        target_->setPixel(x, y, qRgb(255 - qRed(old), 255 - qGreen(old), 255 - qBlue(old)));
    } else {
        target_->setPixel(x, y, opaque(c));
    }
}

void TCanvas::fillDevice(TRect d, TColor c, bool penMode) {
    const TRect clip = deviceClip();
    d = {std::max(d.Left, clip.Left), std::max(d.Top, clip.Top), std::min(d.Right, clip.Right),
         std::min(d.Bottom, clip.Bottom)};
    if (d.IsEmpty()) return;
    if ((penMode && pen_.Mode != TPenMode::pmCopy) || !is32Bit(*target_)) {
        const TPenMode mode = pen_.Mode;
        if (!penMode) pen_.Mode = TPenMode::pmCopy;
        for (int y = d.Top; y < d.Bottom; ++y)
            for (int x = d.Left; x < d.Right; ++x) setDevicePixel(x, y, c);
        pen_.Mode = mode;
        return;
    }
    const QRgb value = opaque(c);
    for (int y = d.Top; y < d.Bottom; ++y) {
        auto* row = reinterpret_cast<QRgb*>(target_->scanLine(y));
        std::fill(row + d.Left, row + d.Right, value);
    }
}

void TCanvas::setPixelRaw(int x, int y, TColor c) {
    if (Ratio() == 1.0) {
        setDevicePixel(x, y, c);
        return;
    }
    fillDevice({dev(x), dev(y), dev(x + 1), dev(y + 1)}, c, true);
}

void TCanvas::SetPixel(int x, int y, TColor c) {
    if (!HasTarget()) return;
    setPixelRaw(x, y, c);
    Changed();
}

void TCanvas::FillRect(const TRect& r) {
    if (!HasTarget() || brush_.Style == TBrushStyle::bsClear || r.IsEmpty()) return;
    // The whole picture (an off-screen picture being cleared): filled at once.
    const TRect d = ToDevice(r);
    if (!clipped_ && d.Left <= 0 && d.Top <= 0 && d.Right >= target_->width() &&
        d.Bottom >= target_->height()) {
        target_->fill(QColor(opaque(brush_.Color)));
        Changed();
        return;
    }
    fillDevice(d, brush_.Color, false);
    Changed();
}

void TCanvas::FillDeviceRect(const TRect& device) {
    if (!HasTarget() || brush_.Style == TBrushStyle::bsClear || device.IsEmpty()) return;
    fillDevice(device, brush_.Color, false);
    Changed();
}

namespace {

// The four sides of a rectangle's outline, a logical pixel wide, as device rectangles: top,
// bottom, left, right (the corners belong to two sides each, as a pixel-wise outline has it).
std::array<TRect, 4> outlineSides(const TCanvas& c, int x1, int y1, int x2, int y2) {
    const TRect d = c.ToDevice({x1, y1, x2, y2});
    const TRect inner = c.ToDevice({x1 + 1, y1 + 1, x2 - 1, y2 - 1});
    return {
        TRect{d.Left, d.Top, d.Right, inner.Top}, TRect{d.Left, inner.Bottom, d.Right, d.Bottom},
        TRect{d.Left, d.Top, inner.Left, d.Bottom}, TRect{inner.Right, d.Top, d.Right, d.Bottom}};
}

}  // namespace

void TCanvas::FrameRect(const TRect& r) {
    if (!HasTarget() || r.IsEmpty()) return;
    for (const TRect& side : outlineSides(*this, r.Left, r.Top, r.Right, r.Bottom))
        fillDevice(side, brush_.Color, true);
    Changed();
}

void TCanvas::Rectangle(int x1, int y1, int x2, int y2) {
    if (!HasTarget()) return;
    TRect r{x1, y1, x2, y2};
    if (r.IsEmpty()) return;
    if (brush_.Style != TBrushStyle::bsClear) {
        TRect inner = pen_.Clear ? TRect{x1, y1, x2 - 1, y2 - 1} : r;
        if (!inner.IsEmpty()) fillDevice(ToDevice(inner), brush_.Color, false);
    }
    if (!pen_.Clear)
        for (const TRect& side : outlineSides(*this, x1, y1, x2, y2))
            fillDevice(side, pen_.Color, true);
    Changed();
}

namespace {

// The ellipse inscribed in [x1, x2) x [y1, y2), in pixel indices: a pixel belongs to it when
// its centre lies inside the continuous ellipse, so the outline touches all four edges and
// the shape is symmetric.
struct InscribedEllipse {
    double cx, cy, ra, rb;
    InscribedEllipse(int l, int t, int r, int b)
        : cx((l + r - 1) / 2.0), cy((t + b - 1) / 2.0), ra((r - l) / 2.0), rb((b - t) / 2.0) {}
    explicit InscribedEllipse(const TRect& r)
        : InscribedEllipse(r.Left, r.Top, r.Right, r.Bottom) {}
    bool Inside(int x, int y) const {
        double dx = (x - cx) / ra, dy = (y - cy) / rb;
        return dx * dx + dy * dy <= 1.0;
    }
    // Inside with a neighbour `width` pixels away outside: a closed outline that wide.
    bool Outline(int x, int y, int width) const {
        return Inside(x, y) && (!Inside(x - width, y) || !Inside(x + width, y) ||
                                !Inside(x, y - width) || !Inside(x, y + width));
    }
    // Counter-clockwise angle from 3 o'clock (y pointing up) of the radial through a point.
    double Angle(double x, double y) const { return std::atan2(cy - y, x - cx); }
    // Where the radial at this angle meets the outline (pixel centres).
    TPoint OnOutline(double angle) const {
        double a = ra - 0.5, b = rb - 0.5;
        double c = std::cos(angle), s = std::sin(angle);
        double den = std::hypot(b * c, a * s);
        double r = den > 0 ? a * b / den : 0;
        return {static_cast<int>(std::lround(cx + r * c)),
                static_cast<int>(std::lround(cy - r * s))};
    }
    TPoint Centre() const {
        return {static_cast<int>(std::lround(cx)), static_cast<int>(std::lround(cy))};
    }
};

}  // namespace

void TCanvas::ellipse(const TRect& d, const std::function<bool(int, int)>& keep) {
    InscribedEllipse e(d);
    const int width = std::max(1, dev(1) - dev(0));
    bool fill = brush_.Style != TBrushStyle::bsClear;
    const TRect clip = deviceClip();
    for (int y = std::max(d.Top, clip.Top); y < std::min(d.Bottom, clip.Bottom); ++y)
        for (int x = std::max(d.Left, clip.Left); x < std::min(d.Right, clip.Right); ++x) {
            if (!e.Inside(x, y) || (keep && !keep(x, y))) continue;
            if (!pen_.Clear && e.Outline(x, y, width))
                setDevicePixel(x, y, pen_.Color);
            else if (fill)
                setDevicePixel(x, y, brush_.Color);
        }
}

void TCanvas::Ellipse(int x1, int y1, int x2, int y2) {
    if (!HasTarget() || x2 - x1 < 1 || y2 - y1 < 1) return;
    ellipse(ToDevice({x1, y1, x2, y2}), nullptr);
    Changed();
}

// The slice of the inscribed ellipse running counter-clockwise from the radial through
// (x3, y3) to the radial through (x4, y4); equal radials give the whole ellipse.
void TCanvas::Pie(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) {
    if (!HasTarget() || x2 - x1 < 1 || y2 - y1 < 1) return;
    const TRect d = ToDevice({x1, y1, x2, y2});
    InscribedEllipse e(d);
    constexpr double kTurn = 2 * M_PI;
    double a3 = e.Angle(dev(x3), dev(y3)), a4 = e.Angle(dev(x4), dev(y4));
    double span = std::fmod(a4 - a3 + 2 * kTurn, kTurn);
    if (span <= 1e-12) span = kTurn;
    ellipse(d, [&](int x, int y) {
        if (x == e.cx && y == e.cy) return true;
        double a = std::fmod(e.Angle(x, y) - a3 + 2 * kTurn, kTurn);
        return a <= span + 1e-9 || a >= kTurn - 1e-9;
    });
    if (!pen_.Clear) {
        // The two radials, each with its end point on the arc.
        const int width = std::max(1, dev(1) - dev(0));
        TPoint c = e.Centre();
        for (double a : {a3, a4}) {
            TPoint end = e.OnOutline(a);
            deviceLine(c.X, c.Y, end.X, end.Y, width, pen_.Color);
            setDevicePixel(end.X, end.Y, pen_.Color);
        }
    }
    Changed();
}

void TCanvas::deviceLine(int x0, int y0, int x1, int y1, int thickness, TColor c) {
    if (thickness <= 1) {
        // Bresenham, leaving out the end point as the platform does.
        int dx = std::abs(x1 - x0), sx = x0 < x1 ? 1 : -1;
        int dy = -std::abs(y1 - y0), sy = y0 < y1 ? 1 : -1;
        int err = dx + dy;
        while (!(x0 == x1 && y0 == y1)) {
            setDevicePixel(x0, y0, c);
            int e2 = 2 * err;
            if (e2 >= dy) {
                err += dy;
                x0 += sx;
            }
            if (e2 <= dx) {
                err += dx;
                y0 += sy;
            }
        }
        return;
    }
    // A thick line: one run `thickness` pixels across for each step along its longer axis,
    // so every pixel is painted once (a combining pen mode sees each pixel once).
    const bool steep = std::abs(y1 - y0) > std::abs(x1 - x0);
    const int from = steep ? y0 : x0, to = steep ? y1 : x1;
    const int step = from < to ? 1 : -1;
    const double slope = from == to ? 0 : double((steep ? x1 - x0 : y1 - y0)) / (to - from);
    for (int k = from; k != to; k += step) {
        const int across =
            static_cast<int>(std::floor((steep ? x0 : y0) + slope * (k - from) + 0.5));
        for (int t = 0; t < thickness; ++t)
            if (steep)
                setDevicePixel(across + t, k, c);
            else
                setDevicePixel(k, across + t, c);
    }
}

void TCanvas::LineTo(int x, int y) {
    if (!HasTarget() || pen_.Clear) {
        penPos_ = {x, y};
        return;
    }
    const int x0 = penPos_.X, y0 = penPos_.Y;
    if (Ratio() == 1.0) {
        deviceLine(x0, y0, x, y, 1, pen_.Color);
    } else if (y == y0 || x == x0) {
        // Across the device pixels of the logical pixels it covers, end point excluded.
        const TRect run = x == x0 ? TRect{x0, std::min(y0, y + 1), x0 + 1, std::max(y0 + 1, y)}
                                  : TRect{std::min(x0, x + 1), y0, std::max(x0 + 1, x), y0 + 1};
        if (!(x == x0 && y == y0)) fillDevice(ToDevice(run), pen_.Color, true);
    } else {
        deviceLine(dev(x0), dev(y0), dev(x), dev(y), std::max(1, dev(1) - dev(0)), pen_.Color);
    }
    penPos_ = {x, y};
    Changed();
}

TTextMetric TCanvas::TextMetrics() const {
    QFont f = font_.ToQFont();
    QFontMetrics fm(f);
    TTextMetric tm;
    tm.Ascent = fm.ascent();
    tm.Descent = fm.descent();
    tm.Height = tm.Ascent + tm.Descent;
    tm.InternalLeading = std::max(0, tm.Height - f.pixelSize());
    tm.AveCharWidth = fm.averageCharWidth();
    return tm;
}

int TCanvas::TextWidth(const std::string& text) const {
    QFontMetrics fm(font_.ToQFont());
    return fm.horizontalAdvance(QString::fromUtf8(text.c_str(), static_cast<int>(text.size())));
}

int TCanvas::TextHeight(const std::string&) const {
    return TextMetrics().Height;
}

void TCanvas::TextOut(int x, int y, const std::string& text) {
    if (!HasTarget()) return;
    QFont f = font_.ToQFont();
    QFontMetrics fm(f);
    QString s = QString::fromUtf8(text.c_str(), static_cast<int>(text.size()));
    QPainter p(target_);
    applyClip(p);
    if (brush_.Style != TBrushStyle::bsClear)
        p.fillRect(QRect(x, y, fm.horizontalAdvance(s), fm.ascent() + fm.descent()),
                   QColor(opaque(brush_.Color)));
    p.setFont(f);
    p.setPen(QColor(opaque(font_.Color())));
    p.drawText(QPoint(x, y + fm.ascent()), s);
    p.end();
    penPos_ = {x + fm.horizontalAdvance(s), y};
    Changed();
}

namespace {

// Removes "&" prefixes: "&&" stays one "&", "&x" marks x. Returns the marked index or -1.
QString stripPrefix(const QString& s, int& underline) {
    QString out;
    underline = -1;
    for (int i = 0; i < s.size(); ++i) {
        if (s[i] == '&' && i + 1 < s.size()) {
            ++i;
            if (s[i] != '&') underline = static_cast<int>(out.size());
        }
        out += s[i];
    }
    return out;
}

QString expandTabs(const QString& s) {
    QString out;
    for (QChar c : s) {
        if (c == '\t') {
            int n = 8 - static_cast<int>(out.size() % 8);
            out += QString(n, ' ');
        } else {
            out += c;
        }
    }
    return out;
}

}  // namespace

int TCanvas::DrawText(const std::string& text, TRect& r, unsigned flags) {
    QFont f = font_.ToQFont();
    QFontMetrics fm(f);
    int lineHeight = fm.ascent() + fm.descent();
    QString s = QString::fromUtf8(text.c_str(), static_cast<int>(text.size()));
    int underline = -1;
    if (!(flags & DT_NOPREFIX)) s = stripPrefix(s, underline);
    if (flags & DT_EXPANDTABS) s = expandTabs(s);

    // Break into lines.
    std::vector<QString> lines;
    if (flags & DT_SINGLELINE) {
        lines.push_back(s);
    } else {
        // Paragraphs end at CR LF, a lone CR or a lone LF.
        static const QRegularExpression breaks("\r\n|\r|\n");
        // Most texts are one paragraph: no expression is run for them.
        const bool oneParagraph = !s.contains(QLatin1Char('\r')) && !s.contains(QLatin1Char('\n'));
        for (const QString& para : oneParagraph ? QStringList{s} : s.split(breaks)) {
            if (!(flags & DT_WORDBREAK)) {
                lines.push_back(para);
                continue;
            }
            auto measure = [&](qsizetype start, qsizetype end) {
                return fm.horizontalAdvance(para.mid(start, end - start));
            };
            for (TTextSpan line : WrapAtSpaces(para, r.Width(), measure))
                lines.push_back(para.mid(line.Start, line.Length));
        }
    }
    int height = lineHeight * static_cast<int>(lines.size());
    if (flags & DT_CALCRECT) {
        int w = 0;
        for (const QString& l : lines) w = std::max(w, fm.horizontalAdvance(l));
        r.Right = r.Left + w;
        r.Bottom = r.Top + height;
        return height;
    }
    if (!HasTarget()) return height;

    QPainter p(target_);
    if (!(flags & DT_NOCLIP)) p.setClipRect(r.ToQRect());
    if (clipped_) p.setClipRect(clip_.ToQRect(), Qt::IntersectClip);
    p.setFont(f);
    p.setPen(QColor(opaque(font_.Color())));
    int y = r.Top;
    if (flags & DT_SINGLELINE) {
        if (flags & DT_VCENTER)
            y = r.Top + (r.Height() - lineHeight) / 2;
        else if (flags & DT_BOTTOM)
            y = r.Bottom - lineHeight;
    }
    for (QString line : lines) {
        if (flags & DT_END_ELLIPSIS) line = fm.elidedText(line, Qt::ElideRight, r.Width());
        int w = fm.horizontalAdvance(line);
        int x = r.Left;
        if (flags & DT_CENTER)
            x = r.Left + (r.Width() - w) / 2;
        else if (flags & DT_RIGHT)
            x = r.Right - w;
        if (brush_.Style != TBrushStyle::bsClear)
            p.fillRect(QRect(x, y, w, lineHeight), QColor(opaque(brush_.Color)));
        p.drawText(QPoint(x, y + fm.ascent()), line);
        if (underline >= 0 && underline < line.size()) {
            int ux = x + fm.horizontalAdvance(line.left(underline));
            int uw = fm.horizontalAdvance(line.at(underline));
            int uy = y + fm.ascent() + 1;
            if (Ratio() == 1.0)
                p.drawLine(ux, uy, ux + uw - 1, uy);
            else
                p.fillRect(QRect(ux, uy, uw, 1), QColor(opaque(font_.Color())));
        }
        y += lineHeight;
    }
    p.end();
    Changed();
    return height;
}

namespace {

// A picture's size in logical pixels.
TRect logicalBounds(int x, int y, const QImage& image) {
    const qreal r = image.devicePixelRatio();
    return {x, y, x + static_cast<int>(std::lround(image.width() / r)),
            y + static_cast<int>(std::lround(image.height() / r))};
}

}  // namespace

void TCanvas::Draw(int x, int y, const QImage& image) {
    if (!HasTarget() || image.isNull()) return;
    if (image.devicePixelRatio() != Ratio()) {
        // A picture of another ratio: scaled to its logical size.
        StretchDraw(logicalBounds(x, y, image), image);
        return;
    }
    x = dev(x);
    y = dev(y);
    // An opaque 32-bit picture onto a 32-bit one without alpha or with premultiplied alpha:
    // the pixels are taken as they are, which is what the painter does, without a painter.
    const QImage::Format to = target_->format();
    if (image.format() == QImage::Format_RGB32 &&
        (to == QImage::Format_RGB32 || to == QImage::Format_ARGB32_Premultiplied)) {
        TRect r{std::max(0, x), std::max(0, y), std::min(target_->width(), x + image.width()),
                std::min(target_->height(), y + image.height())};
        if (clipped_) {
            const TRect clip = deviceClip();
            r.Left = std::max(r.Left, clip.Left);
            r.Top = std::max(r.Top, clip.Top);
            r.Right = std::min(r.Right, clip.Right);
            r.Bottom = std::min(r.Bottom, clip.Bottom);
        }
        if (r.Left < r.Right && r.Top < r.Bottom) {
            const uchar* in = image.constBits();
            const qsizetype inStride = image.bytesPerLine();
            uchar* out = target_->bits();
            const qsizetype outStride = target_->bytesPerLine();
            const size_t bytes = static_cast<size_t>(r.Right - r.Left) * sizeof(QRgb);
            for (int row = r.Top; row < r.Bottom; ++row)
                std::memcpy(out + row * outStride + r.Left * sizeof(QRgb),
                            in + (row - y) * inStride + (r.Left - x) * sizeof(QRgb), bytes);
        }
        Changed();
        return;
    }
    QImage view = deviceView();
    QImage source = image;
    source.setDevicePixelRatio(1.0);
    QPainter p(&view);
    if (clipped_) p.setClipRect(deviceClip().ToQRect());
    p.drawImage(QPoint(x, y), source);
    p.end();
    Changed();
}

void TCanvas::DrawTransparent(int x, int y, const QImage& image, TColor transparent) {
    if (!HasTarget() || image.isNull()) return;
    QRgb key = opaque(transparent) & 0xFFFFFF;
    // Each device pixel takes the source pixel its centre falls on.
    const TRect d = ToDevice(logicalBounds(x, y, image));
    const double sx = double(image.width()) / std::max(1, d.Width());
    const double sy = double(image.height()) / std::max(1, d.Height());
    const TRect clip = deviceClip();
    for (int dy = std::max(d.Top, clip.Top); dy < std::min(d.Bottom, clip.Bottom); ++dy) {
        const int j = std::min(image.height() - 1, static_cast<int>((dy - d.Top + 0.5) * sy));
        for (int dx = std::max(d.Left, clip.Left); dx < std::min(d.Right, clip.Right); ++dx) {
            const int i = std::min(image.width() - 1, static_cast<int>((dx - d.Left + 0.5) * sx));
            QRgb px = image.pixel(i, j);
            if ((px & 0xFFFFFF) == key) continue;
            target_->setPixel(dx, dy, px | 0xFF000000u);
        }
    }
    Changed();
}

void TCanvas::StretchDraw(const TRect& r, const QImage& image) {
    if (!HasTarget() || image.isNull()) return;
    QImage view = deviceView();
    QImage source = image;
    source.setDevicePixelRatio(1.0);
    QPainter p(&view);
    if (clipped_) p.setClipRect(deviceClip().ToQRect());
    // On a high-density target a picture is enlarged smoothly from its stored pixels.
    if (Ratio() != 1.0) p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.drawImage(ToDevice(r).ToQRect(), source);
    p.end();
    Changed();
}

void TCanvas::CopyRect(const TRect& logicalDest, const QImage& source, const TRect& logicalSource,
                       TCopyMode mode) {
    if (!HasTarget() || source.isNull()) return;
    QImage src = is32Bit(source) ? source : source.convertToFormat(QImage::Format_RGB32);
    // Both rectangles in device pixels; a source of another ratio is brought to this one.
    const qreal ratio = Ratio();
    if (src.devicePixelRatio() != ratio) {
        const TRect all = logicalBounds(0, 0, src);
        src = src.scaled(DevicePixel(all.Right, ratio), DevicePixel(all.Bottom, ratio),
                         Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        src.setDevicePixelRatio(ratio);
    }
    const TRect dest = ToDevice(logicalDest), sourceRect = ToDevice(logicalSource);
    const int w = std::min(dest.Width(), sourceRect.Width());
    const int h = std::min(dest.Height(), sourceRect.Height());
    // Unpremultiplied 32-bit images on both sides (bitmaps): whole rows at a time.
    auto plain = [](const QImage& img) {
        return img.format() == QImage::Format_RGB32 || img.format() == QImage::Format_ARGB32;
    };
    if (plain(src) && plain(*target_))
        copyRows(src, {dest.Left, dest.Top, dest.Left + w, dest.Top + h}, sourceRect, mode);
    else
        copyPixels(src, {dest.Left, dest.Top, dest.Left + w, dest.Top + h}, sourceRect, mode);
    Changed();
}

void TCanvas::copyRows(const QImage& src, const TRect& dest, const TRect& sourceRect,
                       TCopyMode mode) {
    int x0 = std::max({0, dest.Left, dest.Left - sourceRect.Left});
    int y0 = std::max({0, dest.Top, dest.Top - sourceRect.Top});
    int x1 = std::min({dest.Right, target_->width(), dest.Left - sourceRect.Left + src.width()});
    int y1 = std::min({dest.Bottom, target_->height(), dest.Top - sourceRect.Top + src.height()});
    if (clipped_) {
        const TRect clip = deviceClip();
        x0 = std::max(x0, clip.Left);
        y0 = std::max(y0, clip.Top);
        x1 = std::min(x1, clip.Right);
        y1 = std::min(y1, clip.Bottom);
    }
    const int shift = sourceRect.Left - dest.Left;
    // The operation is chosen once per block, so each row is one simple loop.
    auto rows = [&](auto op) {
        for (int dy = y0; dy < y1; ++dy) {
            const QRgb* in =
                reinterpret_cast<const QRgb*>(src.constScanLine(dy - dest.Top + sourceRect.Top));
            QRgb* out = reinterpret_cast<QRgb*>(target_->scanLine(dy));
            for (int dx = x0; dx < x1; ++dx) out[dx] = op(in[dx + shift], out[dx]) | 0xFF000000u;
        }
    };
    switch (mode) {
        case TCopyMode::cmSrcCopy:
            rows([](QRgb s, QRgb) { return s; });
            break;
        case TCopyMode::cmSrcInvert:
            rows([](QRgb s, QRgb d) { return s ^ d; });
            break;
        case TCopyMode::cmSrcAnd:
            rows([](QRgb s, QRgb d) { return s & d; });
            break;
        case TCopyMode::cmSrcPaint:
            rows([](QRgb s, QRgb d) { return s | d; });
            break;
    }
}

void TCanvas::copyPixels(const QImage& src, const TRect& dest, const TRect& sourceRect,
                         TCopyMode mode) {
    auto combine = [mode](QRgb s, QRgb d) -> QRgb {
        s &= 0xFFFFFF;
        d &= 0xFFFFFF;
        switch (mode) {
            case TCopyMode::cmSrcCopy:
                return s | 0xFF000000u;
            case TCopyMode::cmSrcInvert:
                return (s ^ d) | 0xFF000000u;
            case TCopyMode::cmSrcAnd:
                return (s & d) | 0xFF000000u;
            case TCopyMode::cmSrcPaint:
                return (s | d) | 0xFF000000u;
        }
        return s | 0xFF000000u;
    };
    for (int j = 0; j < dest.Height(); ++j) {
        int sy = sourceRect.Top + j, dy = dest.Top + j;
        if (sy < 0 || sy >= src.height()) continue;
        for (int i = 0; i < dest.Width(); ++i) {
            int sx = sourceRect.Left + i, dx = dest.Left + i;
            if (sx < 0 || sx >= src.width() || !inDeviceClip(dx, dy)) continue;
            target_->setPixel(dx, dy, combine(src.pixel(sx, sy), target_->pixel(dx, dy)));
        }
    }
}
