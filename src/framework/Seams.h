// Test seams of the framework: process-wide replacements for what tests cannot arrange
// for real (a user answering a dialog, the screen's colour depth, the platform's metrics).
// Linked into tests and benchmarks only (the framework_seams library); the program has none.
//
// Each guard installs its replacement when constructed and puts back what was there before
// when destroyed. Guards nest: the innermost (last constructed) one wins, and they must be
// destroyed in reverse order of construction. Guards are not copyable. Use them from the
// GUI thread.
#pragma once

#include <functional>

#include "framework/Dialogs.h"

namespace seams {

// Answers every message dialog (MessageDlg, MessageBox) while it lives. The responder is
// called once the dialog is up and active, from inside its modal loop, with what the dialog
// shows (TDialogInfo::Form is the dialog window itself); it returns the modal result to
// close the dialog with (mrNone leaves it open for the user). An empty responder lets
// dialogs wait for the user again.
class DialogScope {
  public:
    using Responder = std::function<int(const TDialogInfo&)>;
    explicit DialogScope(Responder responder);
    ~DialogScope();
    DialogScope(const DialogScope&) = delete;
    DialogScope& operator=(const DialogScope&) = delete;

  private:
    Responder saved_;
};

// Makes GetCaptionFont find (available) or not find (false) the non-client metrics.
class NonClientMetricsScope {
  public:
    explicit NonClientMetricsScope(bool available);
    ~NonClientMetricsScope();
    NonClientMetricsScope(const NonClientMetricsScope&) = delete;
    NonClientMetricsScope& operator=(const NonClientMetricsScope&) = delete;

  private:
    std::function<bool()> saved_;
};

// Makes ScreenColorDepth return bitsPerPixel; 0 gives the real screen's depth again.
class ScreenDepthScope {
  public:
    explicit ScreenDepthScope(int bitsPerPixel);
    ~ScreenDepthScope();
    ScreenDepthScope(const ScreenDepthScope&) = delete;
    ScreenDepthScope& operator=(const ScreenDepthScope&) = delete;

  private:
    std::function<int()> saved_;
};

}  // namespace seams
