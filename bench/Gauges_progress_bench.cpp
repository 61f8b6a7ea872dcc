// One million Progress updates on a gauge of the extraction window's size, against an
// empty loop of the same length: the gauge must paint at most once per whole percent.
#include <QApplication>
#include <chrono>
#include <cstdio>

#include "components/Gauges.h"

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    constexpr int kUpdates = 1000000;
    TGauge gauge(nullptr);
    gauge.SetBounds(0, 0, 303, 16);
    gauge.SetMaxValue(kUpdates);
    int paintsBefore = gauge.PaintCount();

    using clock = std::chrono::steady_clock;
    volatile int sink = 0;
    auto t0 = clock::now();
    for (int i = 1; i <= kUpdates; ++i) sink = sink + i;
    auto t1 = clock::now();
    for (int i = 1; i <= kUpdates; ++i) gauge.SetProgress(i);
    auto t2 = clock::now();

    double empty = std::chrono::duration<double, std::nano>(t1 - t0).count() / kUpdates;
    double updates = std::chrono::duration<double, std::nano>(t2 - t1).count() / kUpdates;
    int paints = gauge.PaintCount() - paintsBefore;
    std::printf("paints: %d (target at most 101)\n", paints);
    std::printf("per update: %.1f ns, empty loop: %.2f ns, ratio %.1f\n", updates, empty,
                updates / (empty > 0 ? empty : 1));
    return paints <= 101 ? 0 : 1;
}
