// Windowless controls on a shown window under a burst of changes: every change paints the
// control's image at once, the screen takes them at most once a frame and ends with the last.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QEvent>

#include "framework/Application.h"
#include "framework/ScreenUpdates.h"
#include "framework/StdCtrls.h"
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

TEST(ScreenUpdates, ABurstOfRepaintsReachesTheScreenOnceAFrameAndEndsWithTheLast) {
    TForm form(nullptr);
    form.SetClientSize(200, 60);
    auto* label = new TLabel(&form);
    label->SetParent(&form);
    label->SetBounds(10, 10, 150, 20);
    label->SetAutoSize(false);
    form.Show();
    ASSERT_TRUE(WaitUntil([&] { return form.Showing(); }));
    PaintCounter counter;
    counter.label = label;
    label->Widget()->installEventFilter(&counter);

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
    label->Widget()->removeEventFilter(&counter);
}

}  // namespace
