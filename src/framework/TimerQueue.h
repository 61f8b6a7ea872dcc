// One toolkit timer serves every framework timer and the screen's rounds of updates. Each
// wake-up serves all that are due, so timers that fall due together (a coarse timer within
// its slack of a precise one, a round of screen updates within its frame) cost the process
// one wake-up instead of several. A timer is never served before its due time.
#pragma once

#include <QtGlobal>
#include <functional>

namespace timer_queue {

// Nanoseconds on the queue's monotonic clock.
qint64 Now();

class Timer {
  public:
    // `last`: served after the other timers of the same wake-up (a round of screen updates
    // shows what the ticks before it painted).
    explicit Timer(std::function<void()> fire, bool last = false);
    ~Timer();
    Timer(const Timer&) = delete;
    Timer& operator=(const Timer&) = delete;

    // Due at `due` (on the queue's clock); may wait up to `slack` longer for a wake-up that
    // serves others too. Replaces an earlier start.
    void Start(qint64 due, qint64 slack);
    void Stop();
    bool Active() const { return active_; }
    qint64 Due() const { return due_; }

  private:
    friend class Queue;
    std::function<void()> fire_;
    bool last_;
    bool active_ = false;
    bool firing_ = false;
    qint64 due_ = 0;
    qint64 slack_ = 0;
    unsigned served_ = 0;
};

// Whether the queue is serving its timers now: what such a timer asks of the queue for the
// same moment is served before the wake-up ends.
bool Serving();

}  // namespace timer_queue
