// The gauge's painting, pixel by pixel, and its range rules.
#include <gtest/gtest.h>

#include "components/Gauges.h"
#include "framework/SysUtils.h"
#include "support/GuiSupport.h"

using testing_support::PixelAt;

namespace {

struct Gauge : ::testing::Test {
    TGauge g{nullptr};
    void SetUp() override { g.SetBounds(0, 0, 100, 20); }
    TColor at(int x, int y) {
        g.Repaint();
        return PixelAt(g.Surface(), x, y);
    }
    // Columns of a row whose pixel is the given colour.
    int count(int y, TColor c, int x0 = 0, int x1 = -1) {
        g.Repaint();
        if (x1 < 0) x1 = g.Width();
        int n = 0;
        for (int x = x0; x < x1; ++x) n += PixelAt(g.Surface(), x, y) == c;
        return n;
    }
    bool anyInRect(TRect r, TColor c) {
        g.Repaint();
        for (int y = r.Top; y < r.Bottom; ++y)
            for (int x = r.Left; x < r.Right; ++x)
                if (PixelAt(g.Surface(), x, y) == c) return true;
        return false;
    }
};

TEST_F(Gauge, DefaultAtZeroHasFrameWhiteInsideAndBlackTextCentred) {
    EXPECT_EQ(g.Kind(), TGaugeKind::gkHorizontalBar);
    for (int x = 0; x < 100; ++x) {
        EXPECT_EQ(at(x, 0), clBlack);
        EXPECT_EQ(at(x, 19), clBlack);
    }
    EXPECT_EQ(at(0, 10), clBlack);
    EXPECT_EQ(at(99, 10), clBlack);
    EXPECT_EQ(at(5, 10), clWhite);
    EXPECT_EQ(at(94, 10), clWhite);
    // "0%" in black around the middle, nothing at the sides.
    EXPECT_TRUE(anyInRect({40, 3, 60, 17}, clBlack));
    EXPECT_FALSE(anyInRect({1, 1, 30, 19}, clBlack));
    EXPECT_FALSE(anyInRect({70, 1, 99, 19}, clBlack));
}

TEST_F(Gauge, HorizontalBarFillsByWholePercentsAndSplitsTheText) {
    g.SetShowText(false);
    g.SetProgress(42);
    // Inner width 98 (+1 by the formula): 99 * 0.42 = 41.58 -> 41, from x=1 to x=40.
    EXPECT_EQ(TGauge::FillLength(99, 42), 41);
    EXPECT_EQ(at(1, 10), clBlack);
    EXPECT_EQ(at(40, 10), clBlack);
    EXPECT_EQ(at(41, 10), clWhite);
    g.SetProgress(100);
    EXPECT_EQ(count(10, clBlack, 1, 99), 98);  // the inner area exactly
    EXPECT_EQ(count(1, clBlack, 1, 99), 98);
    EXPECT_EQ(count(18, clBlack, 1, 99), 98);

    // Text over the bar's edge: white over black, black over white.
    g.SetShowText(true);
    g.SetProgress(50);
    EXPECT_TRUE(anyInRect({40, 3, 50, 17}, clWhite));
    EXPECT_TRUE(anyInRect({50, 3, 60, 17}, clBlack));
}

TEST_F(Gauge, OtherKindsInBothBorderStyles) {
    g.SetBounds(0, 0, 40, 40);
    g.SetShowText(false);
    for (TBorderStyle border : {TBorderStyle::bsSingle, TBorderStyle::bsNone}) {
        SCOPED_TRACE(border == TBorderStyle::bsSingle ? "single" : "none");
        g.SetBorderStyle(border);
        int in = border == TBorderStyle::bsSingle ? 1 : 0;

        g.SetKind(TGaugeKind::gkText);
        g.SetProgress(70);
        EXPECT_EQ(at(20, 20), clWhite);
        EXPECT_EQ(at(0, 0), border == TBorderStyle::bsSingle ? clBlack : clWhite);

        g.SetKind(TGaugeKind::gkVerticalBar);
        g.SetProgress(50);
        EXPECT_EQ(at(20, 38), clBlack);  // filled from the bottom
        EXPECT_EQ(at(20, in + 3), clWhite);

        g.SetKind(TGaugeKind::gkPie);
        g.SetProgress(0);
        EXPECT_EQ(at(20, 20), clWhite);  // empty dial
        g.SetProgress(25);               // the quarter from 12 to 3 o'clock
        EXPECT_EQ(at(26, 14), clBlack);
        EXPECT_EQ(at(14, 14), clWhite);
        EXPECT_EQ(at(14, 26), clWhite);
        g.SetProgress(50);  // the right half
        EXPECT_EQ(at(26, 26), clBlack);
        EXPECT_EQ(at(14, 26), clWhite);
        g.SetProgress(100);
        EXPECT_EQ(at(14, 14), clBlack);
        EXPECT_EQ(at(26, 26), clBlack);

        g.SetKind(TGaugeKind::gkNeedle);
        g.SetProgress(0);
        EXPECT_FALSE(anyInRect({19, 6, 22, 30}, clBlack));  // no needle
        g.SetProgress(50);                                 // straight up
        EXPECT_EQ(at(20, 25), clBlack);
        EXPECT_EQ(at(20, 15), clBlack);
        g.SetProgress(100);  // lying to the right
        EXPECT_TRUE(anyInRect({25, 36, 39, 39}, clBlack));
        EXPECT_EQ(at(20, 15), clWhite);
        g.SetProgress(0);
    }
}

TEST_F(Gauge, RangeErrorsChangeNothing) {
    g.SetProgress(40);
    try {
        g.SetMaxValue(-5);
        FAIL();
    } catch (const EInvalidOperation& e) {
        EXPECT_STREQ(e.what(), "Value must be between 1 and 2147483647");
    }
    try {
        g.SetMinValue(200);
        FAIL();
    } catch (const EInvalidOperation& e) {
        EXPECT_STREQ(e.what(), "Value must be between -2147483647 and 99");
    }
    EXPECT_EQ(g.MinValue(), 0);
    EXPECT_EQ(g.MaxValue(), 100);
    EXPECT_EQ(g.Progress(), 40);
}

TEST_F(Gauge, RangeChangesMoveProgressWithThem) {
    g.SetProgress(60);
    g.SetMaxValue(50);
    EXPECT_EQ(g.Progress(), 50);
    g.SetMinValue(55 - 50);
    g.SetMinValue(45);
    EXPECT_EQ(g.Progress(), 50);
    g.SetMaxValue(45);  // equal bounds are accepted
    EXPECT_EQ(g.PercentComplete(), 0);
    g.SetMaxValue(100);
    g.SetMinValue(70);
    EXPECT_EQ(g.Progress(), 70);
    g.SetProgress(5000);
    EXPECT_EQ(g.Progress(), 100);
    EXPECT_EQ(g.PercentComplete(), 100);
}

TEST_F(Gauge, PaintsOnlyWhenTheWholePercentChanges) {
    g.SetMaxValue(1000);
    int before = g.PaintCount();
    g.SetProgress(1);
    EXPECT_EQ(g.PaintCount(), before);
    g.SetProgress(10);
    EXPECT_EQ(g.PaintCount(), before + 1);
    g.SetProgress(19);
    EXPECT_EQ(g.PaintCount(), before + 1);
}

TEST_F(Gauge, LoadingSkipsTheRangeChecks) {
    TGauge* loaded = nullptr;
    TComponent::ReadState([&] {
        loaded = new TGauge(nullptr);
        loaded->SetMinValue(500);  // before the maximum arrives
        loaded->SetMaxValue(1000);
    });
    EXPECT_EQ(loaded->MinValue(), 500);
    EXPECT_EQ(loaded->MaxValue(), 1000);
    delete loaded;
}

}  // namespace
