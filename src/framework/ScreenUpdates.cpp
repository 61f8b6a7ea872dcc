#include "framework/ScreenUpdates.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <vector>

namespace screen_updates {
namespace {

class Rounds {
  public:
    Rounds() {
        clock_.start();
        timer_.setSingleShot(true);
        QObject::connect(&timer_, &QTimer::timeout, [this] { flush(); });
    }

    void Request(QWidget* widget) {
        bool known = false;
        for (const QPointer<QWidget>& w : pending_) known |= w == widget;
        if (!known) pending_.emplace_back(widget);
        if (timer_.isActive()) return;
        qint64 since = clock_.elapsed() - last_;
        if (since >= kFrameMs)
            flush();
        else
            timer_.start(static_cast<int>(kFrameMs - since));
    }

    bool FlushDue() {
        if (pending_.empty() || clock_.elapsed() - last_ < kFrameMs) return false;
        timer_.stop();
        flush();
        return true;
    }

  private:
    void flush() {
        last_ = clock_.elapsed();
        std::vector<QPointer<QWidget>> due;
        due.swap(pending_);
        for (const QPointer<QWidget>& w : due)
            if (w) w->update();
    }

    QElapsedTimer clock_;
    QTimer timer_;
    qint64 last_ = -kFrameMs;
    // Widgets may go before their round comes: guarded pointers.
    std::vector<QPointer<QWidget>> pending_;
};

Rounds& rounds() {
    // Lives to the end of the process: its timer must not outlast the application object
    // in a destructor at exit.
    static Rounds* rounds = new Rounds;
    return *rounds;
}

}  // namespace

void Request(QWidget* widget) {
    rounds().Request(widget);
}

bool FlushDue() {
    return rounds().FlushDue();
}

}  // namespace screen_updates
