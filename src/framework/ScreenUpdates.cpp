#include "framework/ScreenUpdates_p.h"

#include <QImage>
#include <QPointer>
#include <QWidget>
#include <algorithm>
#include <vector>

#include "framework/Canvas.h"
#include "framework/TimerQueue.h"

namespace screen_updates {
namespace {

constexpr qint64 kFrame = qint64{kFrameMs} * 1000000;

class Rounds {
  public:
    Rounds() : timer_([this] { flush(true); }, true) {}

    void Request(QWidget* widget) {
        bool known = false;
        for (const QPointer<QWidget>& w : pending_) known |= w == widget;
        if (!known) pending_.emplace_back(widget);
        if (timer_.Active()) return;
        const qint64 now = timer_queue::Now(), due = last_ + kFrame;
        // Outside the timers' wake-ups a round that is due starts now; within one it comes at
        // the wake-up's end, after every tick of it has painted.
        if (due <= now && !timer_queue::Serving()) {
            flush(false);
            return;
        }
        // The round may wait for a wake-up of other timers, but never longer than a frame
        // from the first request.
        const qint64 start = std::max(now, due);
        timer_.Start(start, now + kFrame - start);
    }

    bool FlushDue() {
        if (pending_.empty() || timer_queue::Now() - last_ < kFrame) return false;
        timer_.Stop();
        flush(false);
        return true;
    }

  private:
    // From the timers' wake-up the widgets are painted at once: the wake-up is no paint of
    // its own, and the toolkit then needs no pass of its own for them.
    void flush(bool paintNow) {
        last_ = timer_queue::Now();
        std::vector<QPointer<QWidget>> due;
        due.swap(pending_);
        for (const QPointer<QWidget>& w : due) {
            if (!w) continue;
            if (paintNow)
                w->repaint();
            else
                w->update();
        }
    }

    timer_queue::Timer timer_;
    qint64 last_ = -kFrame;
    // Widgets may go before their round comes: guarded pointers.
    std::vector<QPointer<QWidget>> pending_;
};

Rounds& rounds() {
    // Lives to the end of the process, like the timers' queue it uses.
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

void SetCovering(QWidget* widget, const QImage* image) {
    const qreal ratio = widget->devicePixelRatioF();
    bool covers = image && image->devicePixelRatio() == ratio &&
                  image->width() == DevicePixel(widget->width(), ratio) &&
                  image->height() == DevicePixel(widget->height(), ratio);
    const bool scan = covers && image->hasAlphaChannel();
    if (scan && image->format() != QImage::Format_ARGB32_Premultiplied &&
        image->format() != QImage::Format_ARGB32)
        covers = false;
    if (scan) {
        // Every alpha is 255 exactly when the AND of all pixels keeps it. The bounds are
        // read once: a call to the image per pixel would keep the compiler from
        // vectorising the loop, and the labels are scanned at every paint.
        const int width = image->width(), height = image->height();
        for (int y = 0; covers && y < height; ++y) {
            const auto* row = reinterpret_cast<const QRgb*>(image->constScanLine(y));
            QRgb all = ~QRgb{0};
            for (int x = 0; x < width; ++x) all &= row[x];
            covers = qAlpha(all) == 255;
        }
    }
    if (widget->testAttribute(Qt::WA_OpaquePaintEvent) != covers)
        widget->setAttribute(Qt::WA_OpaquePaintEvent, covers);
}

}  // namespace screen_updates
