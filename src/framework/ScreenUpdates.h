// Screen updates of windowless controls, at most one round a frame. A control paints its
// own image at once when asked; showing that image is deferred while a round was made less
// than a frame ago, so a run that changes a gauge thousands of times a second costs sixty
// screen updates a second, and the screen always ends with the latest images. The controls
// ask for their rounds through ScreenUpdates_p.h.
#pragma once

namespace screen_updates {

// Milliseconds between two rounds of updates.
constexpr int kFrameMs = 16;

// Starts the round now when one is waiting and the last round is a frame old, so that a
// caller about to process its messages shows it in the same pass. Returns whether it did.
bool FlushDue();

}  // namespace screen_updates
