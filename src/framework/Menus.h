// Context menus with keyboard shortcuts.
#pragma once

#include <string>
#include <vector>

#include "framework/Controls.h"

// A shortcut: the shift state in the upper half, the virtual key in the lower.
using TShortCut = int;
TShortCut ShortCutOf(int key, TShiftState shift);
// "Ctrl+I", "Alt+X", "Shift+Ctrl+Q"; 0 for text that names no shortcut.
TShortCut TextToShortCut(const std::string& text);

class TMenuItem : public TComponent {
  public:
    explicit TMenuItem(TComponent* owner) : TComponent(owner) {}
    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& c) { caption_ = c; }
    TShortCut ShortCut() const { return shortCut_; }
    void SetShortCut(TShortCut s) { shortCut_ = s; }
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool e) { enabled_ = e; }
    void Click();

    TNotifyEvent OnClick;

  private:
    std::string caption_;
    TShortCut shortCut_ = 0;
    bool enabled_ = true;
};

class TPopupMenu : public TComponent {
  public:
    explicit TPopupMenu(TComponent* owner) : TComponent(owner) {}
    void Add(TMenuItem* item) { items_.push_back(item); }
    const std::vector<TMenuItem*>& Items() const { return items_; }
    // Runs the item with that shortcut; false when none has it.
    bool IsShortCut(TShortCut shortCut);
    // Opens the menu at a screen position.
    void Popup(int x, int y);

  private:
    std::vector<TMenuItem*> items_;
};
