// Message processing in the middle of a long run, at most one pass a screen frame. A pass
// over an empty queue shows nothing new and costs system calls; a run that calls for a pass
// after every block of data gets one every frame instead. A frame whose round of screen
// updates is due gets its pass at once, so the screen is at most a frame behind, and input
// such as a Cancel click is handled within a frame.
#pragma once

#include <QElapsedTimer>

class TMessagePacing {
  public:
    // The next call makes its pass whatever the time: a run starts with one.
    void Restart();
    // Processes all pending messages when a frame has passed since the last pass here or a
    // round of screen updates is due; otherwise returns at once.
    void ProcessMessages();

  private:
    QElapsedTimer clock_;
    qint64 lastPass_ = 0;
    bool restarted_ = true;
};
