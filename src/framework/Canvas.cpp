#include "framework/Canvas.h"

#include <QFontMetrics>
#include <QPainter>
#include <QRegularExpression>
#include <algorithm>
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

bool TCanvas::inClip(int x, int y) const {
    if (!HasTarget() || x < 0 || y < 0 || x >= target_->width() || y >= target_->height())
        return false;
    return !clipped_ || clip_.Contains(x, y);
}

void TCanvas::applyClip(QPainter& p) const {
    if (clipped_) p.setClipRect(clip_.ToQRect());
}

TColor TCanvas::Pixel(int x, int y) const {
    if (!HasTarget() || x < 0 || y < 0 || x >= target_->width() || y >= target_->height())
        return clNone;
    return FromQColor(QColor(target_->pixel(x, y)));
}

void TCanvas::setPixelRaw(int x, int y, TColor c) {
    if (!inClip(x, y)) return;
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

void TCanvas::SetPixel(int x, int y, TColor c) {
    setPixelRaw(x, y, c);
    Changed();
}

void TCanvas::FillRect(const TRect& r) {
    if (!HasTarget() || brush_.Style == TBrushStyle::bsClear || r.IsEmpty()) return;
    // The whole picture (an off-screen picture being cleared): no painter needed.
    if (!clipped_ && r.Left <= 0 && r.Top <= 0 && r.Right >= target_->width() &&
        r.Bottom >= target_->height()) {
        target_->fill(QColor(opaque(brush_.Color)));
        Changed();
        return;
    }
    QPainter p(target_);
    applyClip(p);
    p.fillRect(r.ToQRect(), QColor(opaque(brush_.Color)));
    p.end();
    Changed();
}

void TCanvas::FrameRect(const TRect& r) {
    if (!HasTarget() || r.IsEmpty()) return;
    TColor c = brush_.Color;
    for (int x = r.Left; x < r.Right; ++x) {
        setPixelRaw(x, r.Top, c);
        setPixelRaw(x, r.Bottom - 1, c);
    }
    for (int y = r.Top; y < r.Bottom; ++y) {
        setPixelRaw(r.Left, y, c);
        setPixelRaw(r.Right - 1, y, c);
    }
    Changed();
}

void TCanvas::Rectangle(int x1, int y1, int x2, int y2) {
    if (!HasTarget()) return;
    TRect r{x1, y1, x2, y2};
    if (r.IsEmpty()) return;
    if (brush_.Style != TBrushStyle::bsClear) {
        TRect inner = pen_.Clear ? TRect{x1, y1, x2 - 1, y2 - 1} : r;
        QPainter p(target_);
        applyClip(p);
        p.fillRect(inner.ToQRect(), QColor(opaque(brush_.Color)));
    }
    if (!pen_.Clear) {
        for (int x = x1; x < x2; ++x) {
            setPixelRaw(x, y1, pen_.Color);
            setPixelRaw(x, y2 - 1, pen_.Color);
        }
        for (int y = y1; y < y2; ++y) {
            setPixelRaw(x1, y, pen_.Color);
            setPixelRaw(x2 - 1, y, pen_.Color);
        }
    }
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
    bool Inside(int x, int y) const {
        double dx = (x - cx) / ra, dy = (y - cy) / rb;
        return dx * dx + dy * dy <= 1.0;
    }
    // Inside with a 4-neighbour outside: a thin, closed outline.
    bool Outline(int x, int y) const {
        return Inside(x, y) &&
               (!Inside(x - 1, y) || !Inside(x + 1, y) || !Inside(x, y - 1) || !Inside(x, y + 1));
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

void TCanvas::Ellipse(int x1, int y1, int x2, int y2) {
    if (!HasTarget() || x2 - x1 < 1 || y2 - y1 < 1) return;
    InscribedEllipse e(x1, y1, x2, y2);
    bool fill = brush_.Style != TBrushStyle::bsClear;
    for (int y = y1; y < y2; ++y)
        for (int x = x1; x < x2; ++x) {
            if (!e.Inside(x, y)) continue;
            if (!pen_.Clear && e.Outline(x, y))
                setPixelRaw(x, y, pen_.Color);
            else if (fill)
                setPixelRaw(x, y, brush_.Color);
        }
    Changed();
}

// The slice of the inscribed ellipse running counter-clockwise from the radial through
// (x3, y3) to the radial through (x4, y4); equal radials give the whole ellipse.
void TCanvas::Pie(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) {
    if (!HasTarget() || x2 - x1 < 1 || y2 - y1 < 1) return;
    InscribedEllipse e(x1, y1, x2, y2);
    constexpr double kTurn = 2 * M_PI;
    double a3 = e.Angle(x3, y3), a4 = e.Angle(x4, y4);
    double span = std::fmod(a4 - a3 + 2 * kTurn, kTurn);
    if (span <= 1e-12) span = kTurn;
    auto inSlice = [&](int x, int y) {
        if (x == e.cx && y == e.cy) return true;
        double d = std::fmod(e.Angle(x, y) - a3 + 2 * kTurn, kTurn);
        return d <= span + 1e-9 || d >= kTurn - 1e-9;
    };
    bool fill = brush_.Style != TBrushStyle::bsClear;
    for (int y = y1; y < y2; ++y)
        for (int x = x1; x < x2; ++x) {
            if (!e.Inside(x, y) || !inSlice(x, y)) continue;
            if (!pen_.Clear && e.Outline(x, y))
                setPixelRaw(x, y, pen_.Color);
            else if (fill)
                setPixelRaw(x, y, brush_.Color);
        }
    if (!pen_.Clear) {
        // The two radials, each with its end point on the arc.
        TPoint saved = penPos_;
        TPoint c = e.Centre();
        for (double a : {a3, a4}) {
            TPoint end = e.OnOutline(a);
            MoveTo(c.X, c.Y);
            LineTo(end.X, end.Y);
            setPixelRaw(end.X, end.Y, pen_.Color);
        }
        penPos_ = saved;
    }
    Changed();
}

void TCanvas::LineTo(int x, int y) {
    if (!HasTarget() || pen_.Clear) {
        penPos_ = {x, y};
        return;
    }
    // Bresenham, leaving out the end point as the platform does.
    int x0 = penPos_.X, y0 = penPos_.Y;
    int dx = std::abs(x - x0), sx = x0 < x ? 1 : -1;
    int dy = -std::abs(y - y0), sy = y0 < y ? 1 : -1;
    int err = dx + dy;
    while (!(x0 == x && y0 == y)) {
        setPixelRaw(x0, y0, pen_.Color);
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
            p.drawLine(ux, uy, ux + uw - 1, uy);
        }
        y += lineHeight;
    }
    p.end();
    Changed();
    return height;
}

void TCanvas::Draw(int x, int y, const QImage& image) {
    if (!HasTarget() || image.isNull()) return;
    // An opaque 32-bit picture onto a 32-bit one without alpha or with premultiplied alpha:
    // the pixels are taken as they are, which is what the painter does, without a painter.
    const QImage::Format to = target_->format();
    if (image.format() == QImage::Format_RGB32 &&
        (to == QImage::Format_RGB32 || to == QImage::Format_ARGB32_Premultiplied)) {
        TRect r{std::max(0, x), std::max(0, y), std::min(target_->width(), x + image.width()),
                std::min(target_->height(), y + image.height())};
        if (clipped_) {
            r.Left = std::max(r.Left, clip_.Left);
            r.Top = std::max(r.Top, clip_.Top);
            r.Right = std::min(r.Right, clip_.Right);
            r.Bottom = std::min(r.Bottom, clip_.Bottom);
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
    QPainter p(target_);
    applyClip(p);
    p.drawImage(QPoint(x, y), image);
    p.end();
    Changed();
}

void TCanvas::DrawTransparent(int x, int y, const QImage& image, TColor transparent) {
    if (!HasTarget() || image.isNull()) return;
    QRgb key = opaque(transparent) & 0xFFFFFF;
    for (int j = 0; j < image.height(); ++j)
        for (int i = 0; i < image.width(); ++i) {
            QRgb px = image.pixel(i, j);
            if ((px & 0xFFFFFF) == key) continue;
            if (inClip(x + i, y + j)) target_->setPixel(x + i, y + j, px | 0xFF000000u);
        }
    Changed();
}

void TCanvas::StretchDraw(const TRect& r, const QImage& image) {
    if (!HasTarget() || image.isNull()) return;
    QPainter p(target_);
    applyClip(p);
    p.drawImage(r.ToQRect(), image);
    p.end();
    Changed();
}

void TCanvas::CopyRect(const TRect& dest, const QImage& source, const TRect& sourceRect,
                       TCopyMode mode) {
    if (!HasTarget() || source.isNull()) return;
    QImage src = is32Bit(source) ? source : source.convertToFormat(QImage::Format_RGB32);
    int w = std::min(dest.Width(), sourceRect.Width());
    int h = std::min(dest.Height(), sourceRect.Height());
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
    // Unpremultiplied 32-bit images on both sides (bitmaps): whole rows at a time.
    auto plain = [](const QImage& img) {
        return img.format() == QImage::Format_RGB32 || img.format() == QImage::Format_ARGB32;
    };
    if (plain(src) && plain(*target_)) {
        int x0 = std::max({0, dest.Left, dest.Left - sourceRect.Left});
        int y0 = std::max({0, dest.Top, dest.Top - sourceRect.Top});
        int x1 =
            std::min({dest.Left + w, target_->width(), dest.Left - sourceRect.Left + src.width()});
        int y1 =
            std::min({dest.Top + h, target_->height(), dest.Top - sourceRect.Top + src.height()});
        if (clipped_) {
            x0 = std::max(x0, clip_.Left);
            y0 = std::max(y0, clip_.Top);
            x1 = std::min(x1, clip_.Right);
            y1 = std::min(y1, clip_.Bottom);
        }
        const int shift = sourceRect.Left - dest.Left;
        // The operation is chosen once per block, so each row is one simple loop.
        auto rows = [&](auto op) {
            for (int dy = y0; dy < y1; ++dy) {
                const QRgb* in = reinterpret_cast<const QRgb*>(
                    src.constScanLine(dy - dest.Top + sourceRect.Top));
                QRgb* out = reinterpret_cast<QRgb*>(target_->scanLine(dy));
                for (int dx = x0; dx < x1; ++dx)
                    out[dx] = op(in[dx + shift], out[dx]) | 0xFF000000u;
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
        Changed();
        return;
    }
    for (int j = 0; j < h; ++j) {
        int sy = sourceRect.Top + j, dy = dest.Top + j;
        if (sy < 0 || sy >= src.height()) continue;
        for (int i = 0; i < w; ++i) {
            int sx = sourceRect.Left + i, dx = dest.Left + i;
            if (sx < 0 || sx >= src.width() || !inClip(dx, dy)) continue;
            target_->setPixel(dx, dy, combine(src.pixel(sx, sy), target_->pixel(dx, dy)));
        }
    }
    Changed();
}
