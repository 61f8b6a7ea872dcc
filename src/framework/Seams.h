// Test seams of the framework: process-wide replacements for what tests cannot arrange
// for real (a user answering a dialog, the screen's colour depth, the platform's metrics).
// Linked into tests and benchmarks only (the framework_seams library); the program has none.
//
// Each guard is a ScopedReplace of one hook (see ScopedReplace.h for nesting). Use them from
// the GUI thread.
#pragma once

#include <functional>

#include "framework/Dialogs.h"
#include "platform/ScopedReplace.h"

namespace seams {

// Answers every message dialog (MessageDlg, MessageBox) while it lives. The responder is
// called once the dialog is up and active, from inside its modal loop, with what the dialog
// shows (TDialogInfo::Form is the dialog window itself); it returns the modal result to
// close the dialog with (mrNone leaves it open for the user). An empty responder lets
// dialogs wait for the user again.
class DialogScope : ScopedReplace<std::function<int(const TDialogInfo&)>> {
  public:
    using Responder = Value;
    explicit DialogScope(Responder responder);
};

// Makes GetCaptionFont find (available) or not find (false) the non-client metrics.
class NonClientMetricsScope : ScopedReplace<std::function<bool()>> {
  public:
    explicit NonClientMetricsScope(bool available);
};

// Makes ScreenColorDepth return bitsPerPixel; 0 gives the real screen's depth again.
class ScreenDepthScope : ScopedReplace<std::function<int()>> {
  public:
    explicit ScreenDepthScope(int bitsPerPixel);
};

}  // namespace seams
