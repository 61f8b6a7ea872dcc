// Pictures, bevels and timers.
#pragma once

#include <QImage>

#include "framework/Controls.h"
#include "framework/TimerQueue.h"

class TImage : public TGraphicControl {
  public:
    explicit TImage(TComponent* owner);
    const QImage& Picture() const { return picture_; }
    void SetPicture(const QImage& picture);
    bool Stretch() const { return stretch_; }
    void SetStretch(bool s);
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool a);
    bool Center() const { return center_; }
    void SetCenter(bool c);
    void DescribeAccessible(TAccessibleInfo& info) const override;

  protected:
    void Paint() override;

  private:
    QImage picture_;
    QImage scaled_;  // the picture at the surface's ratio, when that is not its own
    bool stretch_ = false;
    bool autoSize_ = false;
    bool center_ = false;
};

enum class TBevelShape { bsBox, bsFrame, bsTopLine, bsBottomLine, bsLeftLine, bsRightLine };
enum class TBevelStyle { bsLowered, bsRaised };

class TBevel : public TGraphicControl {
  public:
    explicit TBevel(TComponent* owner);
    TBevelShape Shape() const { return shape_; }
    void SetShape(TBevelShape s);
    TBevelStyle Style() const { return style_; }
    void SetStyle(TBevelStyle s);

  protected:
    void Paint() override;

  private:
    TBevelShape shape_ = TBevelShape::bsBox;
    TBevelStyle style_ = TBevelStyle::bsLowered;
};

// A periodic timer on the user-interface thread, with the platform's 10 ms minimum period.
// Periods up to 20 ms are kept precisely; a longer one may come up to 5 % late, so that it
// shares a wake-up with another timer.
class TTimer : public TComponent {
  public:
    explicit TTimer(TComponent* owner);
    ~TTimer() override;
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool e);
    int Interval() const { return interval_; }
    void SetInterval(int ms);
    // One tick, as the timer delivers it (tests tick timers by hand).
    void Tick();

    TNotifyEvent OnTimer;

    static constexpr int MinimumPeriod = 10;

  private:
    void update();
    void fire();
    qint64 period() const;
    qint64 slack() const;
    timer_queue::Timer timer_;
    bool enabled_ = true;
    int interval_ = 1000;
};
