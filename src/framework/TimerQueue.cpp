#include "framework/TimerQueue.h"

#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>
#include <limits>
#include <vector>

namespace timer_queue {

namespace {

const QElapsedTimer& clock() {
    static const QElapsedTimer c = [] {
        QElapsedTimer t;
        t.start();
        return t;
    }();
    return c;
}

constexpr qint64 kNever = std::numeric_limits<qint64>::max();

}  // namespace

qint64 Now() {
    return clock().nsecsElapsed();
}

class Queue {
  public:
    static Queue& instance() {
        // Lives to the end of the process: its toolkit timer must not outlast the
        // application object in a destructor at exit.
        static Queue* queue = new Queue;
        return *queue;
    }

    void add(Timer* t) { timers_.push_back(t); }
    void remove(Timer* t) { std::erase(timers_, t); }
    bool serving() const { return depth_ > 0; }

    // After a change: while serving, only an earlier deadline needs the toolkit timer now
    // (the wake-up ends by arming it exactly); otherwise it is armed for the earliest one.
    void changed() {
        if (depth_ > 0)
            armNoLaterThan(deadline());
        else
            arm(deadline());
    }

  private:
    Queue() {
        toolkit_.setSingleShot(true);
        toolkit_.setTimerType(Qt::PreciseTimer);
        QObject::connect(&toolkit_, &QTimer::timeout, [this] { wake(); });
    }

    bool known(const Timer* t) const {
        return std::find(timers_.begin(), timers_.end(), t) != timers_.end();
    }

    // The latest moment the next wake-up may come: the earliest deadline of the timers that
    // wait (a timer running its handler does not wait).
    qint64 deadline() const {
        qint64 d = kNever;
        for (const Timer* t : timers_)
            if (t->active_ && !t->firing_) d = std::min(d, t->due_ + t->slack_);
        return d;
    }

    void arm(qint64 d) {
        if (d == kNever) {
            toolkit_.stop();
            armed_ = kNever;
            return;
        }
        if (toolkit_.isActive() && armed_ == d) return;
        armed_ = d;
        // Whole milliseconds, rounded up: the toolkit's timer never fires before the time.
        const qint64 wait = std::max<qint64>(0, d - Now());
        toolkit_.start(static_cast<int>(std::min<qint64>((wait + 999999) / 1000000, 1 << 30)));
    }

    void armNoLaterThan(qint64 d) {
        if (!toolkit_.isActive() || d < armed_) arm(d);
    }

    // The next timer to serve at `now`: due ones in order of their due time, those marked
    // last after all others.
    // Each is served once a wake-up, so a handler slower than its period cannot keep the
    // wake-up going.
    Timer* next(qint64 now, unsigned wake) const {
        Timer* best = nullptr;
        for (Timer* t : timers_) {
            if (!t->active_ || t->firing_ || t->due_ > now || t->served_ == wake) continue;
            if (!best || (t->last_ != best->last_ ? !t->last_ : t->due_ < best->due_)) best = t;
        }
        return best;
    }

    void wake() {
        ++depth_;
        armed_ = kNever;
        const unsigned wake = ++wakes_;
        while (Timer* t = next(Now(), wake)) {
            t->active_ = false;
            t->served_ = wake;
            // A handler that runs a loop of its own (a modal window) leaves the others to
            // the toolkit's timer meanwhile.
            armNoLaterThan(deadline());
            t->firing_ = true;
            t->fire_();
            if (known(t)) t->firing_ = false;
        }
        --depth_;
        arm(deadline());
    }

    std::vector<Timer*> timers_;
    QTimer toolkit_;
    qint64 armed_ = kNever;
    int depth_ = 0;
    unsigned wakes_ = 0;
};

Timer::Timer(std::function<void()> fire, bool last) : fire_(std::move(fire)), last_(last) {
    Queue::instance().add(this);
}

Timer::~Timer() {
    Queue::instance().remove(this);
    if (active_) Queue::instance().changed();
}

void Timer::Start(qint64 due, qint64 slack) {
    active_ = true;
    due_ = due;
    slack_ = std::max<qint64>(0, slack);
    Queue::instance().changed();
}

void Timer::Stop() {
    if (!active_) return;
    active_ = false;
    Queue::instance().changed();
}

bool Serving() {
    return Queue::instance().serving();
}

}  // namespace timer_queue
