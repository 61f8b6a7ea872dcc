// TScrollText: a block of text lines moving across the control, driven by its own timer:
// right to left, left to right, top to bottom, bottom to top, or standing still. One pass
// takes Steps + 1 ticks; the position depends only on the tick count, never on time.
#pragma once

#include <QImage>
#include <string>
#include <vector>

#include "framework/Canvas.h"
#include "framework/Controls.h"
#include "framework/ExtCtrls.h"
#include "framework/StringList.h"

enum class TScrollDirection {
    sdStatic,
    sdRightToLeft,
    sdLeftToRight,
    sdTopToBottom,
    sdBottomToTop
};
enum class TTextStyle { tsNormal, tsRaised, tsLowered, tsShaddow };
// The control's own alignment: the centred value comes first.
enum class TAlignment { taCenter, taLeftJustify, taRightJustify };

class TCustomScrollText : public TGraphicControl {
  public:
    explicit TCustomScrollText(TComponent* owner);
    ~TCustomScrollText() override;

    const TStringList& Items() const { return items_; }
    // The lines themselves: changing them here repaints nothing until the next paint.
    TStringList& Items() { return items_; }
    void SetItems(const TStringList& items);
    int Steps() const { return steps_; }
    // Values below 1 are taken as 1: a pass needs at least one step.
    void SetSteps(int steps);
    int Speed() const { return speed_; }
    // The timer period in milliseconds, kept within 1..1000.
    void SetSpeed(int speed);
    void SetColor(TColor c) override;
    bool Continuous() const { return continuous_; }
    void SetContinuous(bool c);
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment a);
    TTextStyle TextStyle() const { return textStyle_; }
    void SetTextStyle(TTextStyle s);
    int Depth() const { return depth_; }
    void SetDepth(int d);
    TScrollDirection ScrollDirection() const { return direction_; }
    void SetScrollDirection(TScrollDirection d);

    // Progress of a pass: OnBegin before its first tick, OnStep after every painted tick,
    // OnEnd once the pass is over.
    TNotifyEvent OnBegin;
    TNotifyEvent OnStep;
    TNotifyEvent OnEnd;

    // Ticks done in the current pass, 0..Steps + 1.
    int CurrentStep() const { return currentStep_; }
    bool Running() const { return timer_->Enabled(); }
    // The measures of the last measuring.
    int LineHeight() const { return lineHeight_; }
    int BlockWidth() const { return blockWidth_; }
    int BlockHeight() const { return blockHeight_; }
    int BlockLeft() const { return blockLeft_; }
    int BlockTop() const { return blockTop_; }
    // The block's top-left corner at the current step.
    TPoint BlockOrigin() const;

    // One tick of the timer (tests drive the control through it).
    void TimerTick(TObject* Sender);
    void StartScroll(int fromStep);
    void StopScroll();
    void MeasureBlock();
    // Static text: its lines.
    void DescribeAccessible(TAccessibleInfo& info) const override;

  protected:
    void Paint() override;
    void FontChanged() override;

  private:
    void RemeasureAndInvalidate();
    // Width added to a line by the three-dimensional copies.
    int StyleExtra() const;
    // Draws one line; width is its plain text width.
    void DrawLine(TCanvas& canvas, int x, int y, const std::string& line, int width);
    // Draws every line of the block with its top-left corner at (x, y).
    void DrawBlock(TCanvas& canvas, int x, int y);
    // Whether the block's picture is drawn for what the control shows now; draws it if not.
    // False when the block is better drawn line by line (too large to keep).
    bool BlockPictureReady();

    TStringList items_;
    TTimer* timer_ = nullptr;
    int steps_ = 80;
    int speed_ = 100;
    bool continuous_ = true;
    TAlignment alignment_ = TAlignment::taCenter;
    TTextStyle textStyle_ = TTextStyle::tsNormal;
    int depth_ = 1;
    TScrollDirection direction_ = TScrollDirection::sdRightToLeft;
    int currentStep_ = 0;
    int lineHeight_ = 0;
    int blockWidth_ = 0;
    int blockHeight_ = 0;
    int blockLeft_ = 0;
    int blockTop_ = 0;
    // Plain text width of each line, from the last measuring.
    std::vector<int> lineWidths_;

    // What the text measures were taken of: a tick measures the lines again only when they
    // or the font's face changed (the widths depend on nothing else).
    std::vector<std::string> measuredLines_;
    TFont measuredFont_;
    bool measured_ = false;
    int textHeight_ = 0;  // cell height plus internal leading
    unsigned measureCount_ = 0;

    // The block drawn once on the background, with a margin for ink beyond the advances; a
    // tick copies it to its place. Drawn again when anything it shows changes.
    struct BlockPicture {
        unsigned Measure = 0;
        TColor Face = clNone, Back = clNone;
        TAlignment Alignment = TAlignment::taCenter;
        TTextStyle Style = TTextStyle::tsNormal;
        int Depth = 0;
        qreal Ratio = 1.0;
        bool operator==(const BlockPicture&) const = default;
    };
    BlockPicture pictureOf_;
    bool pictureValid_ = false;
    bool pictureUsable_ = false;
    int pictureMargin_ = 0;
    QImage picture_;
};

class TScrollText : public TCustomScrollText {
  public:
    using TCustomScrollText::TCustomScrollText;
};
