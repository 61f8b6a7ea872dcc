#include "framework/ExtCtrls.h"

#include <algorithm>

#include "framework/Accessibility.h"
#include "framework/FrameControls.h"

// ---- TImage -------------------------------------------------------------------------------------

TImage::TImage(TComponent* owner) : TGraphicControl(owner) {
    SetBounds(0, 0, 105, 105);
}

void TImage::DescribeAccessible(TAccessibleInfo& info) const {
    TGraphicControl::DescribeAccessible(info);
    info.Role = TAccessibleRole::Graphic;
}

void TImage::SetPicture(const QImage& picture) {
    picture_ = picture;
    scaled_ = QImage();
    if (autoSize_ && !picture_.isNull())
        SetBounds(Left(), Top(), picture_.width(), picture_.height());
    Invalidate();
}

void TImage::SetStretch(bool s) {
    if (s == stretch_) return;
    stretch_ = s;
    Invalidate();
}

void TImage::SetAutoSize(bool a) {
    autoSize_ = a;
    if (autoSize_ && !picture_.isNull())
        SetBounds(Left(), Top(), picture_.width(), picture_.height());
}

void TImage::SetCenter(bool c) {
    if (c == center_) return;
    center_ = c;
    Invalidate();
}

void TImage::Paint() {
    if (picture_.isNull()) return;
    if (stretch_) {
        Canvas().StretchDraw(ClientRect(), picture_);
        return;
    }
    // On a high-density screen the picture is enlarged smoothly once and kept at that ratio.
    const qreal ratio = Canvas().Ratio();
    if (picture_.devicePixelRatio() != ratio && scaled_.devicePixelRatio() != ratio) {
        scaled_ = picture_.scaled(DevicePixel(picture_.width(), ratio),
                                  DevicePixel(picture_.height(), ratio), Qt::IgnoreAspectRatio,
                                  Qt::SmoothTransformation);
        scaled_.setDevicePixelRatio(ratio);
    }
    const QImage& shown = picture_.devicePixelRatio() == ratio ? picture_ : scaled_;
    if (center_)
        Canvas().Draw((Width() - picture_.width()) / 2, (Height() - picture_.height()) / 2, shown);
    else
        Canvas().Draw(0, 0, shown);
}

// ---- TBevel -------------------------------------------------------------------------------------

TBevel::TBevel(TComponent* owner) : TGraphicControl(owner) {
    SetBounds(0, 0, 50, 50);
}

void TBevel::SetShape(TBevelShape s) {
    if (s == shape_) return;
    shape_ = s;
    Invalidate();
}

void TBevel::SetStyle(TBevelStyle s) {
    if (s == style_) return;
    style_ = s;
    Invalidate();
}

void TBevel::Paint() {
    TCanvas& c = Canvas();
    TColor first = clBtnShadow, second = clBtnHighlight;
    if (style_ == TBevelStyle::bsRaised) std::swap(first, second);
    int w = Width() - 1, h = Height() - 1;
    auto bevelRect = [&](TRect r, TColor tl, TColor br) { Frame3D(c, r, tl, br, 1); };
    auto line = [&](int x1, int y1, int x2, int y2, TColor col) {
        c.Pen().Color = col;
        c.MoveTo(x1, y1);
        c.LineTo(x2, y2);
    };
    switch (shape_) {
        case TBevelShape::bsBox:
            bevelRect({0, 0, w + 1, h + 1}, first, second);
            break;
        case TBevelShape::bsFrame:
            bevelRect({0, 0, w, h}, first, second);
            bevelRect({1, 1, w + 1, h + 1}, second, first);
            break;
        case TBevelShape::bsTopLine:
            line(0, 0, w + 1, 0, first);
            line(0, 1, w + 1, 1, second);
            break;
        case TBevelShape::bsBottomLine:
            line(0, h - 1, w + 1, h - 1, first);
            line(0, h, w + 1, h, second);
            break;
        case TBevelShape::bsLeftLine:
            line(0, 0, 0, h + 1, first);
            line(1, 0, 1, h + 1, second);
            break;
        case TBevelShape::bsRightLine:
            line(w - 1, 0, w - 1, h + 1, first);
            line(w, 0, w, h + 1, second);
            break;
    }
}

// ---- TTimer -------------------------------------------------------------------------------------

TTimer::TTimer(TComponent* owner) : TComponent(owner), timer_([this] { fire(); }) {
    update();
}

TTimer::~TTimer() {
    timer_.Stop();
}

void TTimer::SetEnabled(bool e) {
    if (e == enabled_) return;
    enabled_ = e;
    update();
}

void TTimer::SetInterval(int ms) {
    if (ms == interval_) return;
    interval_ = ms;
    update();
}

qint64 TTimer::period() const {
    return qint64{std::max(MinimumPeriod, interval_)} * 1000000;
}

qint64 TTimer::slack() const {
    return interval_ <= 20 ? 0 : period() / 20;
}

void TTimer::update() {
    timer_.Stop();
    if (enabled_ && interval_ > 0) timer_.Start(timer_queue::Now() + period(), slack());
}

void TTimer::fire() {
    // The next tick a period after this one was due; one that fell behind starts afresh.
    const qint64 now = timer_queue::Now();
    qint64 next = timer_.Due() + period();
    if (next <= now) next = now + period();
    timer_.Start(next, slack());
    Dispatch([this] { Tick(); });
}

void TTimer::Tick() {
    if (enabled_ && OnTimer) OnTimer(this);
}
