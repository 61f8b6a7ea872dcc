// Windowless controls on a shown window under a burst of changes: every change paints the
// control's image at once, the screen takes them at most once a frame and ends with the last.
#include <gtest/gtest.h>

#include <QAbstractEventDispatcher>
#include <QElapsedTimer>
#include <QEvent>
#include <memory>
#include <vector>

#include "framework/Application.h"
#include "framework/Controls_p.h"
#include "framework/ScreenUpdates.h"
#include "framework/StdCtrls.h"
#include "framework/TimerQueue.h"
#include "support/GuiSupport.h"

using namespace testing_support;

namespace {

// Counts the paint events a label's widget receives and notes the text each one showed.
struct PaintCounter : QObject {
    TLabel* label = nullptr;
    int paints = 0;
    std::string lastShown;
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Paint) {
            ++paints;
            lastShown = label->Caption();
        }
        return false;
    }
};

// A label at (10, 10) on a window; Show() shows the window and waits for it.
struct LabelOnForm {
    TForm form{nullptr};
    TLabel* label = new TLabel(&form);
    LabelOnForm() {
        form.SetClientSize(400, 60);
        label->SetParent(&form);
        label->SetBounds(10, 10, 150, 20);
    }
    bool Show() {
        form.Show();
        return WaitUntil([&] { return form.Showing(); });
    }
};

TEST(ScreenUpdates, ABurstOfRepaintsReachesTheScreenOnceAFrameAndEndsWithTheLast) {
    LabelOnForm shown;
    TLabel* label = shown.label;
    label->SetAutoSize(false);
    ASSERT_TRUE(shown.Show());
    PaintCounter counter;
    counter.label = label;
    WidgetOf(*label)->installEventFilter(&counter);

    QElapsedTimer clock;
    clock.start();
    const int changes = 2000;
    int painted = label->PaintCount();
    for (int i = 0; i < changes; ++i) {
        label->SetCaption("File " + std::to_string(i));
        label->Repaint();  // the image is painted at once...
        Application->ProcessMessages();
    }
    qint64 elapsed = clock.elapsed();
    EXPECT_EQ(label->PaintCount(), painted + changes);
    // ...the screen only once a frame (and once more for a round already due).
    EXPECT_LE(counter.paints, elapsed / screen_updates::kFrameMs + 2) << elapsed << " ms";

    // The last change reaches the screen.
    WaitUntil([] { return false; }, 100);
    EXPECT_EQ(counter.lastShown, "File " + std::to_string(changes - 1));
    WidgetOf(*label)->removeEventFilter(&counter);
}

TEST(ScreenUpdates, AnImageWithoutTransparencyHidesWhatLiesBeneath) {
    LabelOnForm shown;
    TLabel* label = shown.label;
    label->SetCaption("Tarn");
    ASSERT_TRUE(shown.Show());
    auto covering = [&] { return WidgetOf(*label)->testAttribute(Qt::WA_OpaquePaintEvent); };
    label->Repaint();
    EXPECT_TRUE(covering());  // the label fills its background
    label->SetTransparent(true);
    EXPECT_FALSE(covering());  // the next image is not known yet...
    label->Repaint();
    EXPECT_FALSE(covering());  // ...and it lets the window show through
}

// An auto-sized label measures its text when it is read or painted: reads and the window
// see the size of the latest text, and bounds set or AutoSize turned off after a change
// keep the order of the calls.
TEST(ScreenUpdates, AnAutoSizedLabelHasTheSizeOfItsLatestTextWhereverItIsSeen) {
    LabelOnForm shown;
    TLabel* label = shown.label;
    shown.Show();
    auto measured = [&](const std::string& text) {
        TCanvas probe;
        probe.SetFont(label->Font());
        TRect r{10, 10, 10, 10};
        probe.DrawText(text, r, DT_EXPANDTABS | DT_CALCRECT);
        return r.ToQRect();
    };
    for (int i = 0; i < 50; ++i) label->SetCaption("File Name: data" + std::to_string(i * 7919));
    const QRect last = measured(label->Caption());
    EXPECT_TRUE(WaitUntil([&] { return WidgetOf(*label)->geometry() == last; }));
    label->SetCaption("Processing: a longer name");
    EXPECT_EQ(label->BoundsRect().ToQRect(), measured(label->Caption()));
    label->SetCaption("Short");
    label->SetWidth(300);  // set after the change: it wins
    EXPECT_EQ(label->Width(), 300);
    label->SetCaption("Short and then not");
    label->SetAutoSize(false);  // the change before still sizes the label, as it was
    label->SetWordWrap(true);
    EXPECT_EQ(label->BoundsRect().ToQRect(), measured("Short and then not"));
}

// Timers that fall due together are served in one wake-up, in the order of their due times,
// the one marked last after the others, none before its time.
TEST(TimerQueue, DueTimersShareAWakeUpInOrderAndNoneComesEarly) {
    WaitUntil([] { return false; }, 50);  // rounds left by other tests are over
    int blocks = 0;
    QObject::connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock,
                     [&] { ++blocks; });
    struct Fired {
        char name;
        int blocks;
        qint64 late;
    };
    std::vector<Fired> fired;
    const qint64 ms = 1000000, start = timer_queue::Now();
    auto timer = [&](char name, qint64 due, bool last) {
        return std::make_unique<timer_queue::Timer>(
            [&fired, &blocks, name, due, start] {
                fired.push_back({name, blocks, timer_queue::Now() - (start + due)});
            },
            last);
    };
    auto a = timer('a', 30 * ms, false), round = timer('r', 5 * ms, true),
         c = timer('c', 15 * ms, false);
    a->Start(start + 30 * ms, 0);
    round->Start(start + 5 * ms, 40 * ms);
    c->Start(start + 15 * ms, 20 * ms);
    ASSERT_TRUE(WaitUntil([&] { return fired.size() == 3; }, 2000));
    ASSERT_EQ(std::string({fired[0].name, fired[1].name, fired[2].name}), "car");
    for (const Fired& f : fired) {
        EXPECT_GE(f.late, 0) << f.name;
        EXPECT_EQ(f.blocks, fired[0].blocks) << f.name;
    }
}

}  // namespace
