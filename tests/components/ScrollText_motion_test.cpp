// The scrolling text's passes: ticks, events, stopping and resuming, property rules.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "components/ScrollText.h"

namespace {

struct Scroller : ::testing::Test {
    TScrollText text{nullptr};
    std::vector<std::string> events;

    void SetUp() override {
        auto record = [this](const char* name) {
            return [this, name](TObject* sender) {
                EXPECT_EQ(sender, &text);
                events.push_back(std::string(name) + "@" + std::to_string(text.CurrentStep()) +
                                 (text.Running() ? "" : " stopped"));
            };
        };
        text.OnBegin = record("begin");
        text.OnStep = record("step");
        text.OnEnd = record("end");
    }
    void ticks(int n) {
        for (int i = 0; i < n; ++i) text.TimerTick(nullptr);
    }
};

TEST_F(Scroller, ANewControlRunsWithItsInitialSettings) {
    EXPECT_TRUE(text.Running());
    EXPECT_EQ(text.CurrentStep(), 0);
    EXPECT_EQ(text.Items().Count(), 1);
    EXPECT_EQ(text.Items()[0], "ScrollText");
    EXPECT_EQ(text.Width(), 200);
    EXPECT_EQ(text.Height(), 20);
    EXPECT_EQ(text.Steps(), 80);
    EXPECT_EQ(text.Speed(), 100);
    EXPECT_EQ(text.Color(), clBtnFace);
    EXPECT_TRUE(text.Continuous());
    EXPECT_EQ(text.Font().Name(), "Arial");
    EXPECT_EQ(text.Font().Size(), 10);
    EXPECT_EQ(text.Font().Color(), clBlack);
    EXPECT_EQ(text.Alignment(), TAlignment::taCenter);
    EXPECT_EQ(text.TextStyle(), TTextStyle::tsNormal);
    EXPECT_EQ(text.Depth(), 1);
    EXPECT_EQ(text.ScrollDirection(), TScrollDirection::sdRightToLeft);
    // Not opaque: the parent's background is painted beneath it.
    EXPECT_FALSE(text.ControlStyle() & csOpaque);
}

TEST_F(Scroller, APassIsStepsPlusOneTicksWithEventsInOrder) {
    text.SetSteps(2);
    ticks(3);
    EXPECT_EQ(events,
              (std::vector<std::string>{"begin@0", "step@1", "step@2", "step@3", "end@3 stopped"}));
    // Continuous: the next pass starts at once, from 0.
    EXPECT_TRUE(text.Running());
    EXPECT_EQ(text.CurrentStep(), 0);
    events.clear();
    ticks(1);
    EXPECT_EQ(events, (std::vector<std::string>{"begin@0", "step@1"}));
    // Every tick paints at once.
    int painted = text.PaintCount();
    ticks(2);
    EXPECT_EQ(text.PaintCount(), painted + 2);
}

TEST_F(Scroller, StepsOfOneMakeTwoTickPasses) {
    text.SetSteps(1);
    ticks(2);
    EXPECT_EQ(events, (std::vector<std::string>{"begin@0", "step@1", "step@2", "end@2 stopped"}));
}

TEST_F(Scroller, WithoutContinuousAPassEndsStoppedUntilContinuousIsSetAgain) {
    text.SetSteps(3);
    text.SetContinuous(false);
    ticks(4);
    EXPECT_FALSE(text.Running());
    EXPECT_EQ(text.CurrentStep(), 0);
    ticks(5);  // a stopped control ignores ticks
    EXPECT_EQ(events.size(), 6u);
    EXPECT_EQ(events.back(), "end@4 stopped");

    text.SetContinuous(true);
    EXPECT_TRUE(text.Running());
    events.clear();
    ticks(1);
    EXPECT_EQ(events, (std::vector<std::string>{"begin@0", "step@1"}));
}

TEST_F(Scroller, StartWhileRunningKeepsTheStepAndStaticPausesWhereItIs) {
    text.SetSteps(10);
    ticks(4);
    text.StartScroll(0);
    EXPECT_EQ(text.CurrentStep(), 4);

    text.SetScrollDirection(TScrollDirection::sdStatic);
    EXPECT_FALSE(text.Running());
    ticks(3);
    EXPECT_EQ(text.CurrentStep(), 4);

    text.SetScrollDirection(TScrollDirection::sdRightToLeft);
    EXPECT_TRUE(text.Running());
    ticks(1);
    EXPECT_EQ(text.CurrentStep(), 5);

    // A stopped control restarts from a step in range, and keeps its step otherwise.
    text.StopScroll();
    text.StartScroll(11);
    EXPECT_EQ(text.CurrentStep(), 5);
    text.StopScroll();
    text.StartScroll(10);
    EXPECT_EQ(text.CurrentStep(), 10);
}

TEST_F(Scroller, SpeedIsKeptWithinOneToAThousandAndStepsAtLeastOne) {
    text.SetSpeed(0);
    EXPECT_EQ(text.Speed(), 1);
    text.SetSpeed(5000);
    EXPECT_EQ(text.Speed(), 1000);
    text.SetSpeed(-7);
    EXPECT_EQ(text.Speed(), 1);
    text.SetSpeed(130);
    EXPECT_EQ(text.Speed(), 130);

    text.SetSteps(0);
    EXPECT_EQ(text.Steps(), 1);
    text.SetSteps(-5);
    EXPECT_EQ(text.Steps(), 1);
    ticks(2);  // still a whole pass of two ticks, no division by zero
    EXPECT_EQ(events.back(), "end@2 stopped");
}

TEST_F(Scroller, FontAndStyleChangesRemeasureTheBlock) {
    text.SetItems(TStringList{"Short", "A much longer line"});
    int lineHeight = text.LineHeight();
    int width = text.BlockWidth();
    EXPECT_EQ(text.BlockHeight(), 2 * lineHeight);

    text.Font().SetHeight(-26);  // through the font's own attribute
    EXPECT_GT(text.LineHeight(), lineHeight);
    EXPECT_GT(text.BlockWidth(), width);

    text.Font().SetHeight(-13);
    text.SetDepth(3);
    text.SetTextStyle(TTextStyle::tsRaised);
    EXPECT_EQ(text.LineHeight(), lineHeight + 6);
    EXPECT_EQ(text.BlockWidth(), width + 6);
    text.SetTextStyle(TTextStyle::tsShaddow);
    EXPECT_EQ(text.LineHeight(), lineHeight + 3);
    EXPECT_EQ(text.BlockWidth(), width + 3);

    // Changing the lines through the list measures at the next paint only.
    text.SetTextStyle(TTextStyle::tsNormal);
    text.Items().Clear();
    EXPECT_EQ(text.BlockHeight(), 2 * lineHeight);
    text.Repaint();
    EXPECT_EQ(text.BlockHeight(), 0);
    EXPECT_EQ(text.BlockWidth(), 0);
}

TEST_F(Scroller, AssigningItemsCopiesThem) {
    TStringList lines{"one", "two"};
    text.SetItems(lines);
    lines.Add("three");
    EXPECT_EQ(text.Items().Count(), 2);
    text.SetItems(text.Items());  // its own list: kept as it is
    EXPECT_EQ(text.Items().Count(), 2);
}

}  // namespace
