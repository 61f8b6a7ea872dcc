// One million Progress updates on a gauge of the extraction window's size (303 x 16) over
// a range of 0 to one million, against an empty loop of the same length in the same run.
// The gauge may paint only when the whole percentage changes: at most 101 times.
#include <QApplication>
#include <chrono>
#include <cstdio>

#include "components/Gauges.h"

namespace {

constexpr int kUpdates = 1000000;
using Clock = std::chrono::steady_clock;

double NanosPerUpdate(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double, std::nano>(to - from).count() / kUpdates;
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    TGauge gauge(nullptr);
    gauge.SetBounds(0, 0, 303, 16);
    gauge.SetMaxValue(kUpdates);
    gauge.Repaint();
    const int paintsBefore = gauge.PaintCount();

    // The reference: the same loop with nothing in it. The empty asm takes the counter as
    // an input, so the compiler must keep every iteration.
    auto t0 = Clock::now();
    for (int i = 1; i <= kUpdates; ++i) asm volatile("" : : "r"(i) : "memory");
    auto t1 = Clock::now();
    for (int i = 1; i <= kUpdates; ++i) gauge.SetProgress(i);
    auto t2 = Clock::now();
    // What one paint costs, for reading the figure above.
    constexpr int kPaints = 200;
    for (int i = 0; i < kPaints; ++i) gauge.Repaint();
    auto t3 = Clock::now();

    const int paints = gauge.PaintCount() - paintsBefore - kPaints;
    const double paintMicros = std::chrono::duration<double, std::micro>(t3 - t2).count() / kPaints;
    const double empty = NanosPerUpdate(t0, t1), update = NanosPerUpdate(t1, t2);
    std::printf("gauge 303x16, %d updates over 0..%d\n", kUpdates, kUpdates);
    const bool ok = paints <= 101 && gauge.PercentComplete() == 100;
    std::printf("gauge paints per million updates: %d; target at most 101: %s\n", paints,
                ok ? "met" : "MISSED");
    std::printf("per update: %.2f ns, empty loop: %.3f ns per pass, ratio %.1f\n", update, empty,
                empty > 0 ? update / empty : 0.0);
    std::printf("one paint: %.1f us\n", paintMicros);
    return ok ? 0 : 1;
}
