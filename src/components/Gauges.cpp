#include "components/Gauges.h"

#include <climits>
#include <cmath>

#include "framework/SysUtils.h"

void TBltBitmap::MakeLike(const TBitmap& templ) {
    SetSize(templ.Width(), templ.Height());
    Canvas().Brush() = {clWindowFrame, TBrushStyle::bsSolid};
    Canvas().FillRect({0, 0, Width(), Height()});
}

TGauge::TGauge(TComponent* owner) : TGraphicControl(owner) {
    SetControlStyle(ControlStyle() | csFramed | csOpaque);
    SetBounds(0, 0, 100, 100);
}

int TGauge::PercentComplete() const {
    if (maxValue_ == minValue_) return 0;
    double p = (static_cast<double>(progress_) - minValue_) * 100.0 /
               (static_cast<double>(maxValue_) - minValue_);
    return static_cast<int>(std::trunc(p));
}

int TGauge::FillLength(int n, int percent) {
    return static_cast<int>(std::trunc(n * (percent * 0.01)));
}

void TGauge::SetMinValue(int v) {
    if (v == minValue_) return;
    if (v > maxValue_ && !IsLoading())
        throw EInvalidOperation(Format("Value must be between %d and %d", -INT_MAX, maxValue_ - 1));
    minValue_ = v;
    if (progress_ < v) progress_ = v;
    Repaint();
}

void TGauge::SetMaxValue(int v) {
    if (v == maxValue_) return;
    if (v < minValue_ && !IsLoading())
        throw EInvalidOperation(Format("Value must be between %d and %d", minValue_ + 1, INT_MAX));
    maxValue_ = v;
    if (progress_ > v) progress_ = v;
    Repaint();
}

void TGauge::SetProgress(int v) {
    int before = PercentComplete();
    if (!IsLoading()) {
        if (v < minValue_) v = minValue_;
        else if (v > maxValue_) v = maxValue_;
    }
    if (v == progress_) return;
    progress_ = v;
    // Moving within one percent step paints nothing.
    if (PercentComplete() != before) Repaint();
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

namespace {

int roundEven(double v) { return static_cast<int>(std::nearbyint(v)); }

}  // namespace

void TGauge::paintKind(TCanvas& c, const TRect& r) {
    const int L = r.Left, T = r.Top, Rt = r.Right, B = r.Bottom;
    const int P = PercentComplete();
    const bool single = borderStyle_ == TBorderStyle::bsSingle;
    c.Pen() = {foreColor_, 1, false, TPenMode::pmCopy};
    switch (kind_) {
        case TGaugeKind::gkText:
            c.Brush() = {backColor_, TBrushStyle::bsSolid};
            c.FillRect(r);
            break;
        case TGaugeKind::gkHorizontalBar:
        case TGaugeKind::gkVerticalBar: {
            int W = Rt - L + 1, H = B - T + 1;
            c.Brush() = {backColor_, TBrushStyle::bsSolid};
            c.FillRect(r);
            c.Brush().Color = foreColor_;
            if (kind_ == TGaugeKind::gkHorizontalBar) {
                int F = FillLength(W, P);
                if (F > W) F = W;
                if (F > 0) c.FillRect({L, T, F, H});
            } else {
                int F = FillLength(H, P);
                if (F >= H) F = H - 1;
                c.FillRect({L, H - F, W, H});
            }
            break;
        }
        case TGaugeKind::gkPie:
        case TGaugeKind::gkNeedle: {
            int W = Rt - L + (single ? 1 : 0), H = B - T + (single ? 1 : 0);
            c.Brush() = {Color(), TBrushStyle::bsSolid};
            c.FillRect(r);
            c.Brush().Color = backColor_;
            if (kind_ == TGaugeKind::gkPie) {
                c.Ellipse(L, T, W, H);
                if (P > 0) {
                    c.Brush().Color = foreColor_;
                    int MX = W / 2, MY = H / 2;
                    double A = (P / 50.0 + 0.5) * M_PI;
                    int X3 = roundEven(MX * (1 - std::cos(A)));
                    int Y3 = roundEven(MY * (1 - std::sin(A)));
                    c.Pie(L, T, W, H, X3, Y3, MX, 0);
                }
            } else {
                c.Pie(L, T, W, 2 * H - 1, L + W, B - 1, L, B - 1);
                c.MoveTo(L, B);
                c.LineTo(L + W, B);
                if (P > 0) {
                    int HW = Width() / 2;
                    double a = P / 100.0 * M_PI;
                    c.MoveTo(HW, B - 1);
                    c.LineTo(roundEven(HW * (1 - std::cos(a))), roundEven((B - 1) * (1 - std::sin(a))));
                }
            }
            break;
        }
    }
}

void TGauge::paintText(TCanvas& image, const TRect& r, const TBitmap& templ) {
    std::string text = Format("%d%%", PercentComplete());
    TBltBitmap overlay;
    overlay.MakeLike(templ);
    TCanvas& c = overlay.Canvas();
    c.Brush() = {clBlack, TBrushStyle::bsSolid};
    c.FillRect({0, 0, overlay.Width(), overlay.Height()});
    c.Brush().Style = TBrushStyle::bsClear;
    c.SetFont(Font());
    c.Font().SetColor(clWhite);
    int X = ((r.Right - r.Left + 1) - c.TextWidth(text)) / 2;
    int Y = ((r.Bottom - r.Top + 1) - c.TextHeight(text)) / 2;
    c.SetClipRect(r);
    c.TextOut(X, Y, text);
    image.CopyRect({0, 0, overlay.Width(), overlay.Height()}, overlay.Image(),
                   {0, 0, overlay.Width(), overlay.Height()}, TCopyMode::cmSrcInvert);
}

void TGauge::Paint() {
    TBitmap image(Width(), Height());
    TCanvas& ic = image.Canvas();
    ic.Brush() = {clBlack, TBrushStyle::bsSolid};
    ic.FillRect({0, 0, Width(), Height()});
    TRect r = ClientRect();
    if (borderStyle_ == TBorderStyle::bsSingle) r = r.Inflated(-1, -1);

    TBltBitmap overlay;
    overlay.MakeLike(image);
    overlay.Canvas().Brush() = {clBlack, TBrushStyle::bsSolid};
    overlay.Canvas().FillRect({0, 0, overlay.Width(), overlay.Height()});
    overlay.Canvas().SetClipRect(r);
    paintKind(overlay.Canvas(), r);
    ic.CopyRect({0, 0, Width(), Height()}, overlay.Image(), {0, 0, Width(), Height()},
                TCopyMode::cmSrcInvert);
    if (showText_) paintText(ic, r, image);
    Canvas().Draw(0, 0, image);
}
