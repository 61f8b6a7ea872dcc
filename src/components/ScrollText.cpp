#include "components/ScrollText.h"

#include <algorithm>
#include <cmath>

#include "framework/Accessibility.h"
#include "framework/Bitmaps.h"

TCustomScrollText::TCustomScrollText(TComponent* owner) : TGraphicControl(owner) {
    // The parent's background shows beneath it before every paint.
    SetControlStyle(ControlStyle() & ~csOpaque);
    items_.Add("ScrollText");
    SetBounds(Left(), Top(), 200, 20);
    SetColor(clBtnFace);
    TFont font;
    font.SetName("Arial");
    font.SetSize(10);
    font.SetColor(clBlack);
    SetFont(font);

    timer_ = new TTimer(this);
    timer_->SetEnabled(false);
    timer_->OnTimer = [this](TObject* sender) { TimerTick(sender); };
    timer_->SetInterval(speed_);
    // Applied as a property write: a new control scrolls from the start.
    SetScrollDirection(TScrollDirection::sdRightToLeft);
}

TCustomScrollText::~TCustomScrollText() {
    delete timer_;
    timer_ = nullptr;
}

void TCustomScrollText::SetItems(const TStringList& items) {
    if (&items != &items_) items_.Assign(items);
    RemeasureAndInvalidate();
}

void TCustomScrollText::DescribeAccessible(TAccessibleInfo& info) const {
    TGraphicControl::DescribeAccessible(info);
    info.Role = TAccessibleRole::StaticText;
    for (int i = 0; i < items_.Count(); ++i) info.Name += (i ? "\n" : "") + items_[i];
    info.Text = info.Name;
}

void TCustomScrollText::SetSteps(int steps) {
    steps = std::max(1, steps);
    if (steps == steps_) return;
    steps_ = steps;
    if (IsDesigning()) Invalidate();
}

void TCustomScrollText::SetSpeed(int speed) {
    if (speed == speed_) return;
    speed_ = std::clamp(speed, 1, 1000);
    timer_->SetInterval(speed_);
}

void TCustomScrollText::SetColor(TColor c) {
    if (c == Color()) return;
    TGraphicControl::SetColor(c);
    RemeasureAndInvalidate();
}

void TCustomScrollText::SetContinuous(bool c) {
    if (c == continuous_) return;
    continuous_ = c;
    if (direction_ != TScrollDirection::sdStatic) StartScroll(currentStep_);
}

void TCustomScrollText::SetAlignment(TAlignment a) {
    if (a == alignment_) return;
    alignment_ = a;
    RemeasureAndInvalidate();
}

void TCustomScrollText::SetTextStyle(TTextStyle s) {
    if (s == textStyle_) return;
    textStyle_ = s;
    RemeasureAndInvalidate();
}

void TCustomScrollText::SetDepth(int d) {
    if (d == depth_) return;
    depth_ = d;
    RemeasureAndInvalidate();
}

void TCustomScrollText::SetScrollDirection(TScrollDirection d) {
    direction_ = d;
    if (d == TScrollDirection::sdStatic)
        StopScroll();
    else
        StartScroll(currentStep_);
}

void TCustomScrollText::FontChanged() {
    RemeasureAndInvalidate();
}

void TCustomScrollText::RemeasureAndInvalidate() {
    MeasureBlock();
    Invalidate();
}

void TCustomScrollText::StartScroll(int fromStep) {
    if (timer_->Enabled()) return;
    if (fromStep >= 0 && fromStep <= steps_) currentStep_ = fromStep;
    timer_->SetEnabled(true);
}

void TCustomScrollText::StopScroll() {
    timer_->SetEnabled(false);
}

void TCustomScrollText::TimerTick(TObject*) {
    if (!timer_->Enabled()) return;
    if (currentStep_ == 0 && OnBegin) OnBegin(this);
    ++currentStep_;
    Repaint();
    if (OnStep) OnStep(this);
    if (currentStep_ > steps_) {
        timer_->SetEnabled(false);
        if (OnEnd) OnEnd(this);
        currentStep_ = 0;
        if (continuous_) StartScroll(0);
    }
}

int TCustomScrollText::StyleExtra() const {
    switch (textStyle_) {
        case TTextStyle::tsRaised:
        case TTextStyle::tsLowered:
            return 2 * depth_;
        case TTextStyle::tsShaddow:
            return depth_;
        case TTextStyle::tsNormal:
            break;
    }
    return 0;
}

void TCustomScrollText::MeasureBlock() {
    // Widths and heights depend only on the lines and the font's face: a tick that changes
    // neither takes the last ones.
    const TFont& font = Font();
    if (!measured_ || !font.SameFace(measuredFont_) || items_.Items() != measuredLines_) {
        TCanvas& canvas = Canvas();
        canvas.SetFont(font);
        TTextMetric tm = canvas.TextMetrics();
        textHeight_ = tm.Height + tm.InternalLeading;
        lineWidths_.clear();
        for (const std::string& line : items_.Items())
            lineWidths_.push_back(canvas.TextWidth(line));
        measuredLines_ = items_.Items();
        measuredFont_ = font;
        measured_ = true;
        ++measureCount_;
    }
    int extra = StyleExtra();
    lineHeight_ = textHeight_ + extra;
    blockWidth_ = 0;
    for (int width : lineWidths_) blockWidth_ = std::max(blockWidth_, width + extra);
    blockHeight_ = items_.Count() * lineHeight_;
    blockLeft_ = Width() > blockWidth_ ? (Width() - blockWidth_) / 2 : 0;
    blockTop_ = Height() > blockHeight_ ? (Height() - blockHeight_) / 2 : 0;
}

TPoint TCustomScrollText::BlockOrigin() const {
    // A form designer shows the block half way.
    double f = IsDesigning() ? 0.5 : static_cast<double>(currentStep_) / steps_;
    int w = Width(), h = Height();
    switch (direction_) {
        case TScrollDirection::sdRightToLeft:
            return {RoundEven((1 - f) * (blockWidth_ + w)) - blockWidth_, blockTop_};
        case TScrollDirection::sdLeftToRight:
            return {RoundEven(f * (blockWidth_ + w)) - blockWidth_, blockTop_};
        case TScrollDirection::sdTopToBottom:
            return {blockLeft_, RoundEven(f * (blockHeight_ + h)) - blockHeight_};
        case TScrollDirection::sdBottomToTop:
            return {blockLeft_, RoundEven((1 - f) * (blockHeight_ + h)) - blockHeight_};
        case TScrollDirection::sdStatic:
            break;
    }
    return {blockLeft_, blockTop_};
}

namespace {

// A block picture larger than this is not kept: such a block is drawn line by line.
constexpr qint64 kMaxPicturePixels = qint64{1} << 21;

// Whether no pixel of the picture's outermost ring differs from the background.
bool RingIsBackground(const QImage& picture, QRgb back) {
    const int w = picture.width(), h = picture.height();
    auto row = [&](int y) {
        const auto* p = reinterpret_cast<const QRgb*>(picture.constScanLine(y));
        return std::all_of(p, p + w, [&](QRgb v) { return v == back; });
    };
    if (!row(0) || !row(h - 1)) return false;
    for (int y = 1; y < h - 1; ++y) {
        const auto* p = reinterpret_cast<const QRgb*>(picture.constScanLine(y));
        if (p[0] != back || p[w - 1] != back) return false;
    }
    return true;
}

}  // namespace

void TCustomScrollText::DrawBlock(TCanvas& canvas, int x, int y) {
    for (int i = 0; i < items_.Count(); ++i) {
        DrawLine(canvas, x, y, items_[i], lineWidths_[static_cast<size_t>(i)]);
        y += lineHeight_;
    }
}

bool TCustomScrollText::BlockPictureReady() {
    const qreal ratio = Canvas().Ratio();
    const BlockPicture of{measureCount_, Font().Color(), Color(), alignment_,
                          textStyle_,    depth_,         ratio};
    if (pictureValid_ && of == pictureOf_) return pictureUsable_;
    pictureOf_ = of;
    pictureValid_ = true;
    pictureUsable_ = false;
    picture_ = QImage();
    // With a depth of 0 or more every copy lies within Depth of the block; glyphs reach
    // beyond their advances by far less than a line's height.
    if (depth_ < 0 || lineHeight_ <= 0) return false;
    const int margin = depth_ + textHeight_ + 2;
    const qint64 w = blockWidth_ + 2 * qint64{margin}, h = blockHeight_ + 2 * qint64{margin};
    if (w * h > kMaxPicturePixels) return false;
    TBitmap picture(static_cast<int>(w), static_cast<int>(h), ratio);
    TCanvas& canvas = picture.Canvas();
    canvas.SetFont(Font());
    canvas.Brush().Style = TBrushStyle::bsSolid;
    canvas.Brush().Color = Color();
    canvas.FillRect(Rect(0, 0, picture.Width(), picture.Height()));
    const QRgb back = *reinterpret_cast<const QRgb*>(picture.Image().constScanLine(0));
    DrawBlock(canvas, margin, margin);
    // Ink on the ring may have been cut: such a block is drawn line by line instead.
    if (!RingIsBackground(picture.Image(), back)) return false;
    picture_ = picture.Image();
    pictureMargin_ = margin;
    pictureUsable_ = true;
    return true;
}

void TCustomScrollText::Paint() {
    MeasureBlock();
    const int w = std::max(1, Width()), h = std::max(1, Height());
    const TPoint origin = BlockOrigin();
    if (!BlockPictureReady()) {
        // A fresh picture for the paint, shown in one copy.
        TBitmap image(w, h, Canvas().Ratio());
        TCanvas& canvas = image.Canvas();
        canvas.SetFont(Font());
        canvas.Brush().Style = TBrushStyle::bsSolid;
        canvas.Brush().Color = Color();
        canvas.FillRect(Rect(0, 0, image.Width(), image.Height()));
        DrawBlock(canvas, origin.X, origin.Y);
        Canvas().Draw(0, 0, image.Image());
        return;
    }
    // The background, then the block's picture at its place: the same pixels as drawing the
    // lines there. The surface is shown only once the paint is over, so it still reaches the
    // screen in one piece.
    TCanvas& canvas = Canvas();
    canvas.Brush().Style = TBrushStyle::bsSolid;
    canvas.Brush().Color = Color();
    canvas.FillRect(Rect(0, 0, w, h));
    canvas.Draw(origin.X - pictureMargin_, origin.Y - pictureMargin_, picture_);
}

void TCustomScrollText::DrawLine(TCanvas& canvas, int x, int y, const std::string& line, int w) {
    canvas.Brush().Style = TBrushStyle::bsClear;
    // The offset uses the plain text width; the block's width includes the 3-D extra.
    int offset = 0;
    switch (alignment_) {
        case TAlignment::taCenter:
            offset = RoundEven(blockWidth_ / 2.0 - w / 2.0);
            break;
        case TAlignment::taLeftJustify:
            offset = 0;
            break;
        case TAlignment::taRightJustify:
            offset = blockWidth_ - w;
            break;
    }
    TColor face = Font().Color();
    int d = depth_;
    auto copy = [&](TColor color, int dx, int dy) {
        canvas.Font().SetColor(color);
        canvas.TextOut(x + offset + dx, y + dy, line);
    };
    switch (textStyle_) {
        case TTextStyle::tsRaised:
            copy(clBtnHighlight, -d, -d);
            copy(clBtnShadow, d, d);
            break;
        case TTextStyle::tsLowered:
            copy(clBtnShadow, -d, -d);
            copy(clBtnHighlight, d, d);
            break;
        case TTextStyle::tsShaddow:
            copy(clBtnShadow, d, d);
            break;
        case TTextStyle::tsNormal:
            break;
    }
    copy(face, 0, 0);
}
