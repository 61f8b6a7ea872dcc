// Framework-internal: the widgets of windowless controls in the rounds of screen updates.
#pragma once

#include "framework/ScreenUpdates.h"

class QImage;
class QWidget;

namespace screen_updates {

// Asks for the widget to be shown anew: now when the last round is a frame old, else at
// the next round.
void Request(QWidget* widget);

// Tells the toolkit whether the widget's image covers it: an image without a transparent
// pixel does, and then nothing beneath it is painted first. nullptr: the next image is not
// known yet.
void SetCovering(QWidget* widget, const QImage* image);

}  // namespace screen_updates
