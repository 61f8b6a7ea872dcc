// The main window's marquee (the settings' text, right to left) and credits line (rising
// from the bottom), as they paint.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "forms/InstallerWindows.h"

using namespace testing_support;

namespace {

// Columns of white pixels in a painted control: first and one past the last, or -1, -1.
std::pair<int, int> WhiteColumns(const QImage& img) {
    int first = -1, last = -1;
    for (int x = 0; x < img.width(); ++x)
        for (int y = 0; y < img.height(); ++y)
            if (PixelAt(img, x, y) == clWhite) {
                if (first < 0) first = x;
                last = x + 1;
                break;
            }
    return {first, last};
}

// Runs a scroller to the middle of its pass.
const QImage& Halfway(TScrollText* text) {
    text->StopScroll();
    text->StartScroll(text->Steps() / 2 - 1);
    text->TimerTick(nullptr);
    return text->Surface();
}

TEST(MainWindowScrollers, TheMarqueeScrollsTheSettingsTextAndTheCreditsRise) {
    InstallerWindows windows;
    Form1->Show();
    TScrollText* marquee = Form1->ScrollText1;
    ASSERT_EQ(marquee->Items().Count(), 1);
    EXPECT_EQ(marquee->Items()[0], "Welcome to Tarnwick!");
    EXPECT_EQ(marquee->ScrollDirection(), TScrollDirection::sdRightToLeft);
    EXPECT_TRUE(marquee->Running());
    EXPECT_EQ(marquee->BoundsRect(), Rect(12, 362, 482, 382));
    // Stacked above the pictures and below the hot-spots.
    const auto& controls = Form1->Controls();
    auto index = [&](TControl* c) {
        return std::find(controls.begin(), controls.end(), c) - controls.begin();
    };
    EXPECT_EQ(index(marquee), index(Form1->Image3) + 1);
    EXPECT_EQ(index(Form1->Label1), index(marquee) + 1);
    EXPECT_EQ(index(Form1->ScrollText2), static_cast<long>(controls.size()) - 1);

    // Half way through its pass the line crosses the middle of the black strip.
    const QImage& strip = Halfway(marquee);
    auto [first, last] = WhiteColumns(strip);
    EXPECT_LT(first, 235);
    EXPECT_GT(last, 235);
    EXPECT_EQ(PixelAt(strip, 0, 0), clBlack);
    EXPECT_LT(marquee->LineHeight(), 20);
    EXPECT_EQ(marquee->BlockTop(), (20 - marquee->LineHeight()) / 2);

    // The credits: one line moving upwards. In Arial of 11 pixels it is a few pixels wider
    // than its 91-pixel strip, so it starts at the left edge and is cut at the right
    // (a narrower line would be centred).
    TScrollText* credits = Form1->ScrollText2;
    ASSERT_EQ(credits->Items().Count(), 1);
    EXPECT_EQ(credits->Items()[0], "CODE/GFX by Vosk");
    EXPECT_EQ(credits->BoundsRect(), Rect(149, 76, 240, 91));
    const QImage& line = Halfway(credits);
    auto [cFirst, cLast] = WhiteColumns(line);
    EXPECT_EQ(credits->BlockLeft(), std::max(0, (91 - credits->BlockWidth()) / 2));
    if (credits->BlockWidth() >= 91) {
        EXPECT_LE(cFirst, 1);
        EXPECT_GE(cLast, 89);
    } else {
        EXPECT_LE(std::abs(cFirst - (91 - cLast)), 2) << cFirst << ".." << cLast;
    }
    int y = credits->BlockOrigin().Y;
    for (int i = 0; i < 10; ++i) credits->TimerTick(nullptr);
    EXPECT_LT(credits->BlockOrigin().Y, y);
    Form1->Hide();
}

TEST(MainWindowScrollers, AnEmptyMarqueeTextLeavesTheStripBlack) {
    std::string ini = kDemoIni;
    std::string key = "SCRTXT....=Welcome to Tarnwick!";
    ini.replace(ini.find(key), key.size(), "SCRTXT....=");
    InstallerWindows windows({{"install.ini", ini}});
    Form1->Show();
    EXPECT_EQ(Form1->ScrollText1->Items().Count(), 0);
    const QImage& strip = Halfway(Form1->ScrollText1);
    EXPECT_EQ(WhiteColumns(strip).first, -1);
    EXPECT_EQ(PixelAt(strip, 235, 10), clBlack);
    Form1->Hide();
}

}  // namespace
