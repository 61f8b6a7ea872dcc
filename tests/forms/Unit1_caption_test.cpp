// The main window's caption bar as the caption component paints it: black, with the white
// bold title, no icon and no buttons.
#include <gtest/gtest.h>

#include <optional>

#include "forms/InstallerWindows.h"
#include "framework/Application.h"
#include "framework/Seams.h"
#include "framework/SysMetrics.h"

using namespace testing_support;

namespace {

constexpr const char* kTitle = "Tarnwick Installer...";

struct MainCaption : ::testing::Test {
    InstallerWindows windows;
    std::optional<seams::ScreenDepthScope> screenDepth;
    void TearDown() override {
        if (Form1->Visible()) Form1->Hide();
    }
    void PaintAt(int depth, bool active) {
        screenDepth.emplace(depth);
        Form1->Perform(WM_NCACTIVATE, active ? 1 : 0);
    }
    TRect Bar() const { return {3, 3, Form1->WindowWidth() - 3, 3 + 18}; }
    TColor Px(int x, int y) const { return PixelAt(Form1->WindowSurface(), x, y); }
    // Every pixel of the bar is the background or the title colour; returns the bounds of
    // the title's pixels.
    TRect CheckBar(TColor background, TColor text) const {
        TRect bar = Bar(), ink{1 << 20, 1 << 20, -1, -1};
        int others = 0;
        for (int y = bar.Top; y < bar.Bottom; ++y)
            for (int x = bar.Left; x < bar.Right; ++x) {
                TColor c = Px(x, y);
                if (c == text) {
                    ink = {std::min(ink.Left, x), std::min(ink.Top, y), std::max(ink.Right, x + 1),
                           std::max(ink.Bottom, y + 1)};
                } else if (c != background) {
                    ++others;
                }
            }
        EXPECT_EQ(others, 0);
        return ink;
    }
};

TEST_F(MainCaption, BlackBarWithTheWhiteBoldTitleInBothStates) {
    Form1->Show();
    EXPECT_EQ(Form1->Caption(), kTitle);
    EXPECT_EQ(Form1->GradientCaption1->GetBarRect(), Bar());
    EXPECT_EQ(Form1->GradientCaption1->VisibleButtons(), 0u);
    // The title drawn alone where it belongs: 3 pixels into the title area, centred, white
    // bold on black, not cut.
    QImage ref(Form1->WindowWidth(), 21, QImage::Format_RGB32);
    TCanvas c(&ref);
    c.Brush() = {clBlack, TBrushStyle::bsSolid};
    c.FillRect({0, 0, ref.width(), ref.height()});
    TFont font;
    font.SetName("MS Sans Serif");
    font.SetHeight(-11);
    font.SetStyle(fsBold);
    font.SetColor(clWhite);
    c.SetFont(font);
    c.Brush().Style = TBrushStyle::bsClear;
    TRect r{6, 3, Bar().Right, 21};
    c.DrawText(kTitle, r, DT_SINGLELINE | DT_VCENTER);
    for (bool active : {true, false}) {
        SCOPED_TRACE(active ? "active" : "inactive");
        PaintAt(32, active);
        int wrong = 0;
        for (int y = Bar().Top; y < Bar().Bottom; ++y)
            for (int x = Bar().Left; x < Bar().Right; ++x)
                if (Px(x, y) != PixelAt(ref, x, y)) ++wrong;
        EXPECT_EQ(wrong, 0);
        TRect ink = CheckBar(clBlack, clWhite);
        EXPECT_LE(ink.Left, 3 + 3 + 1);
        EXPECT_LE(std::abs((ink.Top - Bar().Top) - (Bar().Bottom - ink.Bottom)), 4);
    }
}

TEST_F(MainCaption, AtEightBitsOnlyTheActiveBarKeepsTheGradient) {
    Form1->Show();
    PaintAt(8, true);
    CheckBar(clBlack, clWhite);
    PaintAt(8, false);
    TRect ink = CheckBar(ColorToRGB(clInactiveCaption), clWhite);
    EXPECT_GT(ink.Right, ink.Left);
    // Fewer colours still: the platform's caption colours in both states.
    PaintAt(4, true);
    CheckBar(ColorToRGB(clActiveCaption), clWhite);
    PaintAt(4, false);
    CheckBar(ColorToRGB(clInactiveCaption), clWhite);
}

TEST_F(MainCaption, AnotherWindowTakingTheActivationLeavesTheBarBlack) {
    screenDepth.emplace(32);
    Form1->Show();
    auto* other = new TForm(Application);
    other->SetClientSize(100, 50);
    other->Show();
    EXPECT_FALSE(Form1->GradientCaption1->IsCaptionActive());
    CheckBar(clBlack, clWhite);
    other->Hide();
    EXPECT_TRUE(Form1->GradientCaption1->IsCaptionActive());
    CheckBar(clBlack, clWhite);
    delete other;
}

}  // namespace
