// Helpers for tests of windows: answering dialogs, driving nested modal loops, input.
#pragma once

#include <QImage>
#include <functional>
#include <string>
#include <vector>

#include "framework/Dialogs.h"
#include "framework/Forms.h"
#include "framework/Seams.h"

namespace testing_support {

// Records every dialog shown while it lives and answers it (by default with the first
// button). The previous responder is restored afterwards.
class DialogRecorder {
  public:
    DialogRecorder();
    explicit DialogRecorder(std::function<int(const TDialogInfo&)> answer);
    const std::vector<TDialogInfo>& Dialogs() const { return dialogs_; }
    int Count() const { return static_cast<int>(dialogs_.size()); }
    const TDialogInfo& Last() const { return dialogs_.back(); }
    // Texts of all dialogs, in order.
    std::vector<std::string> Texts() const;

  private:
    std::vector<TDialogInfo> dialogs_;
    seams::DialogScope scope_;
};

// Runs steps one after another from the event loop, each inside whatever modal loop is
// current when its turn comes; a step may open a modal window, the next one then runs
// inside it.
void RunSteps(std::vector<std::function<void()>> steps);
// Processes events until the condition holds or the time runs out (ms); returns the
// condition's last value.
bool WaitUntil(const std::function<bool()>& condition, int timeoutMs = 5000);

// Input as a user gives it.
void Click(TControl* control, int x = -1, int y = -1);
void DoubleClick(TControl* control, int x = -1, int y = -1);
void MoveMouse(TControl* control, int x, int y);
void PressKey(TForm* form, int qtKey, Qt::KeyboardModifiers mods = Qt::NoModifier);

// Pixel of an image as 0x00BBGGRR.
TColor PixelAt(const QImage& image, int x, int y);

}  // namespace testing_support
