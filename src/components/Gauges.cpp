#include "components/Gauges.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>

#include "framework/Accessibility.h"
#include "framework/SysUtils.h"

namespace {

constexpr const char* kRangeError = "Value must be between %d and %d";

// Bounds for the range error; they wrap at the ends of the 32-bit range as the stored
// values do.
int Plus(int v, int d) {
    return static_cast<int>(static_cast<unsigned>(v) + d);
}

void Solid(TCanvas& c, TColor color) {
    c.Brush() = {color, TBrushStyle::bsSolid};
}

}  // namespace

void TBltBitmap::MakeLike(const TBitmap& templ) {
    SetSize(templ.Width(), templ.Height());
    Solid(Canvas(), clWindowFrame);
    Canvas().FillRect({0, 0, Width(), Height()});
}

TGauge::TGauge(TComponent* owner) : TGraphicControl(owner) {
    SetControlStyle(ControlStyle() | csOpaque);
    SetBounds(0, 0, 100, 100);
}

int TGauge::PercentComplete() const {
    if (maxValue_ == minValue_) return 0;
    double p = (static_cast<double>(progress_) - minValue_) * 100.0 /
               (static_cast<double>(maxValue_) - minValue_);
    // Only values taken while loading can leave the range; keep the conversion defined.
    if (p >= INT_MAX) return INT_MAX;
    if (p <= INT_MIN) return INT_MIN;
    return static_cast<int>(p);
}

int TGauge::FillLength(int n, int percent) {
    return static_cast<int>(n * (percent * 0.01));
}

void TGauge::SetMinValue(int v) {
    if (v == minValue_) return;
    if (v > maxValue_ && !IsLoading())
        throw EInvalidOperation(Format(kRangeError, -INT_MAX, Plus(maxValue_, -1)));
    minValue_ = v;
    if (progress_ < v) progress_ = v;
    Repaint();
}

void TGauge::SetMaxValue(int v) {
    if (v == maxValue_) return;
    if (v < minValue_ && !IsLoading())
        throw EInvalidOperation(Format(kRangeError, Plus(minValue_, 1), INT_MAX));
    maxValue_ = v;
    if (progress_ > v) progress_ = v;
    Repaint();
}

void TGauge::SetProgress(int v) {
    int before = PercentComplete();
    // Stored values arrive in any order while loading, so they are taken as they come.
    if (!IsLoading()) {
        if (v < minValue_)
            v = minValue_;
        else if (v > maxValue_)
            v = maxValue_;
    }
    if (v == progress_) return;
    progress_ = v;
    // Called once per block of unpacked data: paint only on a new whole percentage.
    if (PercentComplete() != before) {
        Repaint();
        accessibility::Changed(this, accessibility::TChange::Value);
    }
}

void TGauge::DescribeAccessible(TAccessibleInfo& info) const {
    TGraphicControl::DescribeAccessible(info);
    info.Role = TAccessibleRole::ProgressBar;
    info.HasValue = true;
    info.Value = progress_;
    info.Minimum = minValue_;
    info.Maximum = maxValue_;
    info.Text = Format("%d%%", PercentComplete());
}

void TGauge::SetKind(TGaugeKind k) {
    if (k == kind_) return;
    kind_ = k;
    Repaint();
}

void TGauge::SetShowText(bool s) {
    if (s == showText_) return;
    showText_ = s;
    Repaint();
}

void TGauge::SetBorderStyle(TBorderStyle b) {
    if (b == borderStyle_) return;
    borderStyle_ = b;
    Repaint();
}

void TGauge::SetForeColor(TColor c) {
    if (c == foreColor_) return;
    foreColor_ = c;
    Repaint();
}

void TGauge::SetBackColor(TColor c) {
    if (c == backColor_) return;
    backColor_ = c;
    Repaint();
}

TRect TGauge::innerRect() const {
    TRect r = ClientRect();
    return borderStyle_ == TBorderStyle::bsSingle ? r.Inflated(-1, -1) : r;
}

// The pictures keep the gauge's long-standing measures, in absolute coordinates: a bar
// ends at x = F rather than L + F, and lengths count one pixel more than the inner area.

void TGauge::paintBar(TCanvas& c, const TRect& r, int percent) const {
    const int W = r.Right - r.Left + 1, H = r.Bottom - r.Top + 1;
    Solid(c, backColor_);
    c.FillRect(r);
    c.Pen().Color = foreColor_;
    Solid(c, foreColor_);
    // The reached part is measured in device pixels: on a high-density screen the bar ends
    // at the device pixel its percentage gives.
    const TRect d = c.ToDevice({r.Left, r.Top, W, H});
    if (kind_ == TGaugeKind::gkHorizontalBar) {
        int F = std::min(FillLength(d.Right, percent), d.Right);
        if (F > 0) c.FillDeviceRect({d.Left, d.Top, F, d.Bottom});
    } else {
        int F = std::min(FillLength(d.Bottom, percent), d.Bottom - c.ToDevice({0, 0, 1, 1}).Bottom);
        c.FillDeviceRect({d.Left, d.Bottom - F, d.Right, d.Bottom});
    }
}

void TGauge::paintPie(TCanvas& c, const TRect& r, int percent) const {
    const int W = r.Right, H = r.Bottom;
    Solid(c, Color());
    c.FillRect(r);
    c.Pen().Color = foreColor_;
    Solid(c, backColor_);
    c.Ellipse(r.Left, r.Top, W, H);
    if (percent <= 0) return;
    // From 12 o'clock clockwise: the slice runs counterclockwise from the far radial.
    const int MX = W / 2, MY = H / 2;
    const double A = (percent / 50.0 + 0.5) * M_PI;
    const int X3 = RoundEven(MX * (1 - std::cos(A)));
    const int Y3 = RoundEven(MY * (1 - std::sin(A)));
    Solid(c, foreColor_);
    c.Pie(r.Left, r.Top, W, H, X3, Y3, MX, 0);
}

void TGauge::paintNeedle(TCanvas& c, const TRect& r, int percent) const {
    const int L = r.Left, B = r.Bottom, W = r.Right, H = r.Bottom;
    Solid(c, Color());
    c.FillRect(r);
    c.Pen().Color = foreColor_;
    Solid(c, backColor_);
    // The upper half of an ellipse twice the height: the dial.
    c.Pie(L, r.Top, W, 2 * H - 1, L + W, B - 1, L, B - 1);
    c.MoveTo(L, B);
    c.LineTo(L + W, B);
    if (percent <= 0) return;
    const int HW = Width() / 2;
    const double a = percent / 100.0 * M_PI;
    c.MoveTo(HW, B - 1);
    c.LineTo(RoundEven(HW * (1 - std::cos(a))), RoundEven((B - 1) * (1 - std::sin(a))));
}

void TGauge::paintKind(TCanvas& c, const TRect& r) const {
    c.Pen() = {foreColor_, 1, false, TPenMode::pmCopy};
    const int percent = PercentComplete();
    switch (kind_) {
        case TGaugeKind::gkText:
            Solid(c, backColor_);
            c.FillRect(r);
            break;
        case TGaugeKind::gkHorizontalBar:
        case TGaugeKind::gkVerticalBar:
            paintBar(c, r, percent);
            break;
        case TGaugeKind::gkPie:
            paintPie(c, r, percent);
            break;
        case TGaugeKind::gkNeedle:
            paintNeedle(c, r, percent);
            break;
    }
}

namespace {

// Combines the overlay into the picture by XOR, two pixels a step; the result is opaque as
// a copy onto a bitmap is. Both images are 32-bit and of one size.
void XorInto(QImage& picture, const QImage& overlay) {
    constexpr uint64_t kOpaque = 0xFF000000FF000000ull;
    const int w = picture.width();
    for (int y = 0; y < picture.height(); ++y) {
        auto* out = reinterpret_cast<uint32_t*>(picture.scanLine(y));
        const auto* in = reinterpret_cast<const uint32_t*>(overlay.constScanLine(y));
        int x = 0;
        for (; x + 2 <= w; x += 2) {
            uint64_t a, b;
            std::memcpy(&a, out + x, 8);
            std::memcpy(&b, in + x, 8);
            a = (a ^ b) | kOpaque;
            std::memcpy(out + x, &a, 8);
        }
        if (x < w) out[x] = (out[x] ^ in[x]) | 0xFF000000u;
    }
}

}  // namespace

// White text on black, combined by XOR: each text pixel shows the inverse of what lies
// beneath it, so the text stays readable on both sides of a bar's edge.
void TGauge::paintText(QImage& picture, const TRect& r) const {
    const std::string text = Format("%d%%", PercentComplete());
    QImage overlay(picture.size(), QImage::Format_RGB32);
    overlay.setDevicePixelRatio(picture.devicePixelRatio());
    overlay.fill(Qt::black);
    TCanvas c(&overlay);
    c.Brush().Style = TBrushStyle::bsClear;
    c.SetFont(Font());
    c.Font().SetColor(clWhite);
    const int X = ((r.Right - r.Left + 1) - c.TextWidth(text)) / 2;
    const int Y = ((r.Bottom - r.Top + 1) - c.TextHeight(text)) / 2;
    c.SetClipRect(r);
    c.TextOut(X, Y, text);
    XorInto(picture, overlay);
}

TGauge::PictureState TGauge::pictureState() const {
    return {PercentComplete(),
            Width(),
            Height(),
            foreColor_,
            backColor_,
            Color(),
            kind_,
            borderStyle_,
            showText_,
            Font(),
            Surface().devicePixelRatio()};
}

// The kind's picture is drawn on black and combined by XOR with a black picture: that is
// the picture itself, drawn here directly.
QImage TGauge::drawPicture(qreal ratio) const {
    QImage picture = MakeImage(Width(), Height(), ratio);
    picture.fill(Qt::black);
    TCanvas c(&picture);
    paintKind(c, innerRect());
    if (showText_) paintText(picture, innerRect());
    // In the surface's own format, so that a paint shares it instead of converting it.
    return picture.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

void TGauge::Paint() {
    const PictureState state = pictureState();
    auto found = std::find_if(pictures_.begin(), pictures_.end(),
                              [&](const Picture& p) { return p.State == state; });
    if (found == pictures_.end()) {
        if (pictures_.size() == kPictures) pictures_.erase(pictures_.begin());
        pictures_.push_back({state, drawPicture(state.Ratio)});
        found = pictures_.end() - 1;
    }
    if (!ShowPicture(found->Image)) Canvas().Draw(0, 0, found->Image);
}
