// Screen updates of windowless controls, at most one round a frame. A control paints its
// own image at once when asked; showing that image is deferred while a round was made less
// than a frame ago, so a run that changes a gauge thousands of times a second costs sixty
// screen updates a second, and the screen always ends with the latest images.
#pragma once

class QImage;
class QWidget;

namespace screen_updates {

// Milliseconds between two rounds of updates.
constexpr int kFrameMs = 16;

// Asks for the widget to be shown anew: now when the last round is a frame old, else at
// the next round.
void Request(QWidget* widget);

// Starts the round now when one is waiting and the last round is a frame old, so that a
// caller about to process its messages shows it in the same pass. Returns whether it did.
bool FlushDue();

// Tells the toolkit whether the widget's image covers it: an image without a transparent
// pixel does, and then nothing beneath it is painted first. nullptr: the next image is not
// known yet.
void SetCovering(QWidget* widget, const QImage* image);

}  // namespace screen_updates
