#include "framework/Buttons.h"

#include "framework/Accessibility.h"
#include "framework/FrameControls.h"
#include "platform/Platform.h"

TSpeedButton::TSpeedButton(TComponent* owner) : TGraphicControl(owner) {
    SetBounds(0, 0, 23, 22);
    SetControlStyle(ControlStyle() | csOpaque);
}

void TSpeedButton::SetCaption(const std::string& caption) {
    if (caption == caption_) return;
    caption_ = caption;
    Invalidate();
    accessibility::Changed(this, accessibility::TChange::Name);
}

void TSpeedButton::SetFlat(bool flat) {
    if (flat == flat_) return;
    flat_ = flat;
    Invalidate();
}

char TSpeedButton::AccelChar() const {
    for (size_t i = 0; i + 1 < caption_.size(); ++i) {
        if (caption_[i] != '&') continue;
        if (caption_[i + 1] == '&') {
            ++i;
            continue;
        }
        return platform::AsciiUpper(caption_[i + 1]);
    }
    return 0;
}

void TSpeedButton::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    if (Enabled() && button == TMouseButton::mbLeft) {
        pressed_ = true;
        Repaint();
    }
    TGraphicControl::MouseDown(button, shift, x, y);
}

void TSpeedButton::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    if (pressed_) {
        pressed_ = false;
        Repaint();
    }
    TGraphicControl::MouseUp(button, shift, x, y);
}

bool TSpeedButton::DialogChar(int key, TShiftState shift) {
    char accel = AccelChar();
    if (!accel || !(shift & ssAlt) || (shift & ssCtrl)) return false;
    if (platform::AsciiUpper(key) != accel) return false;
    Click();
    return true;
}

void TSpeedButton::Click() {
    if (!Enabled()) return;
    TGraphicControl::Click();
}

void TSpeedButton::DescribeAccessible(TAccessibleInfo& info) const {
    TGraphicControl::DescribeAccessible(info);
    info.Role = TAccessibleRole::PushButton;
    info.Name = accessibility::SpokenCaption(caption_);
    if (info.Shortcut.empty()) info.Shortcut = accessibility::AltShortcut(caption_);
    info.Pressable = true;
}

void TSpeedButton::Paint() {
    TCanvas& c = Canvas();
    TRect r = ClientRect();
    if (flat_ && !pressed_) {
        c.Brush() = {Color(), TBrushStyle::bsSolid};
        c.FillRect(r);
    } else {
        DrawFrameControl(c, r, DFC_BUTTON,
                         DFCS_BUTTONPUSH | (pressed_ ? unsigned{DFCS_PUSHED} : 0u));
    }
    c.SetFont(Font());
    c.Brush().Style = TBrushStyle::bsClear;
    TRect text = pressed_ ? r.Offset(1, 1) : r;
    if (Enabled()) {
        c.DrawText(caption_, text, DT_SINGLELINE | DT_CENTER | DT_VCENTER);
    } else {
        // Disabled: the caption embossed in highlight and shadow.
        TRect lower = text.Offset(1, 1);
        c.Font().SetColor(clBtnHighlight);
        c.DrawText(caption_, lower, DT_SINGLELINE | DT_CENTER | DT_VCENTER);
        c.Font().SetColor(clBtnShadow);
        c.DrawText(caption_, text, DT_SINGLELINE | DT_CENTER | DT_VCENTER);
    }
}
