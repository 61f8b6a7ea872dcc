// Gauges of every kind standing on a shown window: what the window shows is the gauge's
// own painting, and a new percentage reaches the screen at once.
#include <gtest/gtest.h>

#include "components/Gauges.h"
#include "support/GuiSupport.h"

using testing_support::PixelAt;

namespace {

TEST(GaugeOnForm, EveryKindShowsItsPaintingOnTheWindow) {
    TForm form(nullptr);
    form.SetClientSize(300, 120);
    const TGaugeKind kinds[] = {TGaugeKind::gkText, TGaugeKind::gkHorizontalBar,
                                TGaugeKind::gkVerticalBar, TGaugeKind::gkPie, TGaugeKind::gkNeedle};
    std::vector<TGauge*> gauges;
    int left = 5;
    for (TGaugeKind kind : kinds) {
        auto* g = new TGauge(&form);
        g->SetParent(&form);
        g->SetBounds(left, 10, 50, 50);
        g->SetKind(kind);
        g->SetColor(clRed);
        g->SetProgress(37);
        gauges.push_back(g);
        left += 58;
    }
    form.Show();
    ASSERT_TRUE(testing_support::WaitUntil([&] { return form.Showing(); }));

    auto expectShown = [&](const char* when) {
        QImage window = form.GrabWindow();
        TPoint o = form.ClientOrigin();
        for (TGauge* g : gauges) {
            SCOPED_TRACE(testing::Message() << when << ", kind " << static_cast<int>(g->Kind()));
            int wrong = 0;
            for (int y = 0; y < g->Height(); ++y)
                for (int x = 0; x < g->Width(); ++x)
                    wrong += PixelAt(window, o.X + g->Left() + x, o.Y + g->Top() + y) !=
                             PixelAt(g->Surface(), x, y);
            EXPECT_EQ(wrong, 0);
            // The form's face shows around the gauge, never inside it.
            EXPECT_EQ(PixelAt(window, o.X + g->Left() - 1, o.Y + g->Top() + 20),
                      ColorToRGB(clBtnFace));
        }
    };
    expectShown("shown");

    // A new whole percentage paints before the setter returns.
    for (TGauge* g : gauges) {
        int paints = g->PaintCount();
        g->SetProgress(88);
        EXPECT_EQ(g->PaintCount(), paints + 1);
    }
    expectShown("at 88 %");
    // The bar's end moved to 88 % on the window, too: W = 49, 49 * 0.88 -> 43.
    QImage window = form.GrabWindow();
    TPoint o = form.ClientOrigin();
    TGauge* bar = gauges[1];
    EXPECT_EQ(PixelAt(window, o.X + bar->Left() + 42, o.Y + bar->Top() + 3), clBlack);
    EXPECT_EQ(PixelAt(window, o.X + bar->Left() + 43, o.Y + bar->Top() + 3), clWhite);
    form.Hide();
}

}  // namespace
