// The flat push button: a windowless button whose caption's "&" underlines the next letter
// and makes Alt+letter press it.
#pragma once

#include "framework/Controls.h"

class TSpeedButton : public TGraphicControl {
  public:
    explicit TSpeedButton(TComponent* owner);

    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& caption);
    bool Flat() const { return flat_; }
    void SetFlat(bool flat);
    // The letter after a single "&", upper case; 0 when there is none.
    char AccelChar() const;
    bool Down() const { return pressed_; }

    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
    bool DialogChar(int key, TShiftState shift) override;
    void Click() override;
    void DescribeAccessible(TAccessibleInfo& info) const override;

  protected:
    void Paint() override;

  private:
    std::string caption_;
    bool flat_ = false;
    bool pressed_ = false;
};
