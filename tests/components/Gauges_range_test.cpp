// The gauge's range rules, its percentage and when it paints.
#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <memory>
#include <string>
#include <utility>

#include "components/Gauges.h"
#include "framework/SysUtils.h"

namespace {

struct Range : ::testing::Test {
    TGauge g{nullptr};
    void SetUp() override { g.SetBounds(0, 0, 100, 20); }
    int paintsDuring(const std::function<void()>& step) {
        int before = g.PaintCount();
        step();
        return g.PaintCount() - before;
    }
};

TEST_F(Range, Defaults) {
    EXPECT_EQ(g.MinValue(), 0);
    EXPECT_EQ(g.MaxValue(), 100);
    EXPECT_EQ(g.Progress(), 0);
    EXPECT_EQ(g.Kind(), TGaugeKind::gkHorizontalBar);
    EXPECT_TRUE(g.ShowText());
    EXPECT_EQ(g.BorderStyle(), TBorderStyle::bsSingle);
    EXPECT_EQ(g.ForeColor(), clBlack);
    EXPECT_EQ(g.BackColor(), clWhite);
    EXPECT_TRUE(g.ControlStyle() & csOpaque);
    EXPECT_EQ(static_cast<int>(TGaugeKind::gkNeedle), 4);
}

TEST_F(Range, RejectedBoundsNameTheAllowedRangeAndChangeNothing) {
    struct Case {
        int min, max, progress;
        bool setMax;  // else MinValue
        int value;
        const char* text;
    };
    const Case cases[] = {
        {0, 100, 40, true, -5, "Value must be between 1 and 2147483647"},
        {0, 100, 40, false, 200, "Value must be between -2147483647 and 99"},
        {-50, 70, 10, true, -51, "Value must be between -49 and 2147483647"},
        {-50, 70, 10, false, 71, "Value must be between -2147483647 and 69"},
        {5, 5, 5, false, 6, "Value must be between -2147483647 and 4"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        TGauge gauge(nullptr);
        gauge.SetMaxValue(c.max);
        gauge.SetMinValue(c.min);
        gauge.SetProgress(c.progress);
        int paints = gauge.PaintCount();
        try {
            c.setMax ? gauge.SetMaxValue(c.value) : gauge.SetMinValue(c.value);
            ADD_FAILURE() << "accepted " << c.value;
        } catch (const EInvalidOperation& e) {
            EXPECT_EQ(std::string(e.what()), c.text);
        }
        EXPECT_EQ(gauge.MinValue(), c.min);
        EXPECT_EQ(gauge.MaxValue(), c.max);
        EXPECT_EQ(gauge.Progress(), c.progress);
        EXPECT_EQ(gauge.PaintCount(), paints);
    }
}

TEST_F(Range, BoundsDragProgressAlong) {
    g.SetProgress(60);
    g.SetMaxValue(50);  // lowered below Progress
    EXPECT_EQ(g.Progress(), 50);
    EXPECT_EQ(g.PercentComplete(), 100);
    g.SetMaxValue(100);
    EXPECT_EQ(g.Progress(), 50);  // raising it leaves Progress where it is
    g.SetMinValue(70);            // raised above Progress
    EXPECT_EQ(g.Progress(), 70);
    EXPECT_EQ(g.PercentComplete(), 0);
    g.SetMinValue(0);
    EXPECT_EQ(g.Progress(), 70);

    g.SetMaxValue(0);  // equal bounds are accepted
    EXPECT_EQ(g.Progress(), 0);
    EXPECT_EQ(g.PercentComplete(), 0);
    g.SetProgress(5);
    EXPECT_EQ(g.Progress(), 0);
    EXPECT_EQ(g.PercentComplete(), 0);
}

TEST_F(Range, ProgressIsClampedIntoTheRange) {
    g.SetMinValue(-10);
    g.SetProgress(5000);
    EXPECT_EQ(g.Progress(), 100);
    EXPECT_EQ(g.PercentComplete(), 100);
    g.SetProgress(INT_MIN);
    EXPECT_EQ(g.Progress(), -10);
    EXPECT_EQ(g.PercentComplete(), 0);
}

TEST_F(Range, PercentCompleteTruncatesWithoutOverflow) {
    struct Case {
        int min, max, progress, percent;
    };
    const Case cases[] = {
        {0, 3, 1, 33},
        {0, 3, 2, 66},
        {-100, 100, -99, 0},
        {-100, 100, 99, 99},
        {0, INT_MAX, INT_MAX - 1, 99},
        {INT_MIN, INT_MAX, 0, 50},
        {INT_MIN, INT_MAX, INT_MAX, 100},
    };
    for (const Case& c : cases) {
        TGauge gauge(nullptr);
        gauge.SetMaxValue(c.max);
        gauge.SetMinValue(c.min);
        gauge.SetProgress(c.progress);
        EXPECT_EQ(gauge.PercentComplete(), c.percent)
            << c.min << ".." << c.max << " at " << c.progress;
    }
}

TEST_F(Range, FillLengthMovesInWholePercentSteps) {
    EXPECT_EQ(TGauge::FillLength(99, 42), 41);
    EXPECT_EQ(TGauge::FillLength(99, 43), 42);
    EXPECT_EQ(TGauge::FillLength(101, 100), 101);
    EXPECT_EQ(TGauge::FillLength(303, 1), 3);
    EXPECT_EQ(TGauge::FillLength(50, 0), 0);
}

TEST_F(Range, PaintsOnlyWhenTheWholePercentageChanges) {
    g.SetMaxValue(1000);
    EXPECT_EQ(paintsDuring([&] { g.SetProgress(1); }), 0);  // still 0 %
    EXPECT_EQ(g.Progress(), 1);
    EXPECT_EQ(paintsDuring([&] { g.SetProgress(10); }), 1);  // 1 %
    EXPECT_EQ(paintsDuring([&] { g.SetProgress(19); }), 0);
    EXPECT_EQ(paintsDuring([&] { g.SetProgress(19); }), 0);
    EXPECT_EQ(paintsDuring([&] { g.SetProgress(5000); }), 1);
    EXPECT_EQ(paintsDuring([&] { g.SetProgress(1001); }), 0);  // clamped to the same value
}

TEST_F(Range, SettersPaintAtOnceOnlyOnARealChange) {
    using Step = std::function<void()>;
    const std::pair<const char*, Step> changes[] = {
        {"Kind", [&] { g.SetKind(TGaugeKind::gkPie); }},
        {"ShowText", [&] { g.SetShowText(false); }},
        {"BorderStyle", [&] { g.SetBorderStyle(TBorderStyle::bsNone); }},
        {"ForeColor", [&] { g.SetForeColor(clRed); }},
        {"BackColor", [&] { g.SetBackColor(clBlue); }},
        {"MinValue", [&] { g.SetMinValue(-5); }},
        {"MaxValue", [&] { g.SetMaxValue(50); }},
    };
    for (const auto& [name, change] : changes) {
        EXPECT_EQ(paintsDuring(change), 1) << name;
        EXPECT_EQ(paintsDuring(change), 0) << name << " again";
    }
    EXPECT_EQ(g.Kind(), TGaugeKind::gkPie);
    EXPECT_FALSE(g.ShowText());
    EXPECT_EQ(g.BorderStyle(), TBorderStyle::bsNone);
    EXPECT_EQ(g.ForeColor(), clRed);
    EXPECT_EQ(g.BackColor(), clBlue);
}

TEST_F(Range, LoadingTakesStoredValuesInAnyOrder) {
    TGauge* loaded = nullptr;
    TComponent::ReadState([&] {
        loaded = new TGauge(nullptr);
        loaded->SetProgress(700);  // before the range that holds it
        loaded->SetMinValue(500);  // above the default maximum
        loaded->SetMaxValue(1000);
    });
    std::unique_ptr<TGauge> owner(loaded);
    EXPECT_EQ(loaded->MinValue(), 500);
    EXPECT_EQ(loaded->MaxValue(), 1000);
    EXPECT_EQ(loaded->Progress(), 700);
    EXPECT_EQ(loaded->PercentComplete(), 40);
    // Once loaded, the checks apply again.
    EXPECT_THROW(loaded->SetMinValue(2000), EInvalidOperation);
    EXPECT_EQ(loaded->MinValue(), 500);
}

}  // namespace
