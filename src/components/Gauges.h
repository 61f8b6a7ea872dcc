// TGauge: how far a value has moved through a range, as a percentage, drawn as text, a
// horizontal or vertical bar, a pie or a needle. Repaints at once, and only when the
// whole percentage changes.
#pragma once

#include <vector>

#include "framework/Bitmaps.h"
#include "framework/Controls.h"

enum class TGaugeKind { gkText, gkHorizontalBar, gkVerticalBar, gkPie, gkNeedle };
enum class TBorderStyle { bsNone, bsSingle };

// An off-screen picture that can take another's size.
class TBltBitmap : public TBitmap {
  public:
    // Takes the template's size and fills itself with the window-frame colour.
    void MakeLike(const TBitmap& templ);
};

class TGauge : public TGraphicControl {
  public:
    explicit TGauge(TComponent* owner);

    int MinValue() const { return minValue_; }
    void SetMinValue(int v);
    int MaxValue() const { return maxValue_; }
    void SetMaxValue(int v);
    int Progress() const { return progress_; }
    void SetProgress(int v);
    TGaugeKind Kind() const { return kind_; }
    void SetKind(TGaugeKind k);
    bool ShowText() const { return showText_; }
    void SetShowText(bool s);
    TBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TBorderStyle b);
    TColor ForeColor() const { return foreColor_; }
    void SetForeColor(TColor c);
    TColor BackColor() const { return backColor_; }
    void SetBackColor(TColor c);

    // 0 for an empty range, else the truncated share of the range reached, in percent.
    int PercentComplete() const;
    // Length of the reached part of a bar N pixels long, in whole-percent steps.
    static int FillLength(int n, int percent);
    // A progress bar: the value and range, the percentage as its text.
    void DescribeAccessible(TAccessibleInfo& info) const override;

  protected:
    void Paint() override;

  private:
    // The inner rectangle: the whole control, less the frame of a single border.
    TRect innerRect() const;
    void paintKind(TCanvas& c, const TRect& r) const;
    void paintBar(TCanvas& c, const TRect& r, int percent) const;
    void paintPie(TCanvas& c, const TRect& r, int percent) const;
    void paintNeedle(TCanvas& c, const TRect& r, int percent) const;
    void paintText(QImage& picture, const TRect& r) const;
    QImage drawPicture(qreal ratio) const;

    int minValue_ = 0;
    int maxValue_ = 100;
    int progress_ = 0;
    TGaugeKind kind_ = TGaugeKind::gkHorizontalBar;
    bool showText_ = true;
    TBorderStyle borderStyle_ = TBorderStyle::bsSingle;
    TColor foreColor_ = clBlack;
    TColor backColor_ = clWhite;

    // Everything a picture is drawn from: two paints of equal states give equal pixels.
    struct PictureState {
        int Percent, Width, Height;
        TColor Fore, Back, Color;
        TGaugeKind Kind;
        TBorderStyle Border;
        bool ShowText;
        TFont Font;
        qreal Ratio;
        bool operator==(const PictureState&) const = default;
    };
    PictureState pictureState() const;

    // The finished pictures of the latest states: a run moves between a few of them (0 %
    // and 100 % for each small file), and a known one is shown in a single copy.
    struct Picture {
        PictureState State;
        QImage Image;
    };
    static constexpr size_t kPictures = 4;
    std::vector<Picture> pictures_;
};
