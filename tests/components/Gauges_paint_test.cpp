// The gauge's painting, checked pixel by pixel on the painted image.
#include <gtest/gtest.h>

#include <climits>
#include <vector>

#include "components/Gauges.h"
#include "framework/Controls_p.h"
#include "support/GuiSupport.h"

using testing_support::PixelAt;

namespace {

constexpr TColor kInverse = 0xFFFFFF;
const TBorderStyle kBorders[] = {TBorderStyle::bsSingle, TBorderStyle::bsNone};

const char* Name(TBorderStyle b) {
    return b == TBorderStyle::bsSingle ? "bsSingle" : "bsNone";
}

struct Painted : ::testing::Test {
    TGauge g{nullptr};

    QImage paint() {
        g.Repaint();
        return g.Surface().copy();
    }
    // Gauge of a kind, without text, at a percentage of the default range.
    QImage paint(TGaugeKind kind, TBorderStyle border, int progress) {
        g.SetShowText(false);
        g.SetKind(kind);
        g.SetBorderStyle(border);
        g.SetProgress(progress);
        return paint();
    }
};

struct Pixel {
    int x, y;
    TColor color;
};

void ExpectPixels(const QImage& img, const std::vector<Pixel>& pixels) {
    for (const Pixel& p : pixels)
        EXPECT_EQ(PixelAt(img, p.x, p.y), p.color) << "at (" << p.x << ", " << p.y << ")";
}

bool Uniform(const QImage& img, const TRect& r, TColor c) {
    for (int y = r.Top; y < r.Bottom; ++y)
        for (int x = r.Left; x < r.Right; ++x)
            if (PixelAt(img, x, y) != c) return false;
    return true;
}

// Pixels where two paintings differ.
std::vector<TPoint> Differences(const QImage& a, const QImage& b) {
    std::vector<TPoint> out;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (PixelAt(a, x, y) != PixelAt(b, x, y)) out.push_back({x, y});
    return out;
}

TEST_F(Painted, DefaultGaugeAtZeroShowsABlackZeroPercentCentredInAWhiteFrame) {
    EXPECT_EQ(g.Width(), 100);
    EXPECT_EQ(g.Height(), 100);
    g.SetBounds(0, 0, 100, 20);
    QImage img = paint();
    EXPECT_TRUE(Uniform(img, {0, 0, 100, 1}, clBlack));
    EXPECT_TRUE(Uniform(img, {0, 19, 100, 20}, clBlack));
    EXPECT_TRUE(Uniform(img, {0, 0, 1, 20}, clBlack));
    EXPECT_TRUE(Uniform(img, {99, 0, 100, 20}, clBlack));

    // Inside: white, except the text, which is exactly "0%" in black at the centring
    // position of the inner area.
    QImage expected(100, 20, QImage::Format_RGB32);
    expected.fill(Qt::white);
    TCanvas c(&expected);
    c.SetFont(g.Font());
    c.Font().SetColor(clBlack);
    c.Brush().Style = TBrushStyle::bsClear;
    c.TextOut((99 - c.TextWidth("0%")) / 2, (19 - c.TextHeight("0%")) / 2, "0%");
    int left = 100, right = -1;
    for (int y = 1; y < 19; ++y)
        for (int x = 1; x < 99; ++x) {
            ASSERT_EQ(PixelAt(img, x, y), PixelAt(expected, x, y)) << x << ", " << y;
            if (PixelAt(img, x, y) == clBlack) left = std::min(left, x), right = std::max(right, x);
        }
    ASSERT_LE(left, right) << "no text";
    EXPECT_NEAR(left - 1, 98 - right, 3);  // the ink sits in the middle
}

TEST_F(Painted, HorizontalBarFillsByTheFormulaAndCoversTheInnerAreaAtFull) {
    g.SetBounds(0, 0, 100, 20);
    g.SetForeColor(clRed);
    // Single: W = 99, 99 * 0.42 -> 41, the fill runs from x = 1 to 40.
    QImage img = paint(TGaugeKind::gkHorizontalBar, TBorderStyle::bsSingle, 42);
    ExpectPixels(img, {{1, 1, clRed},
                       {40, 1, clRed},
                       {40, 18, clRed},
                       {41, 10, clWhite},
                       {0, 10, clBlack},
                       {40, 0, clBlack},
                       {40, 19, clBlack}});
    img = paint(TGaugeKind::gkHorizontalBar, TBorderStyle::bsSingle, 100);
    EXPECT_TRUE(Uniform(img, {1, 1, 99, 19}, clRed));
    EXPECT_TRUE(Uniform(img, {0, 0, 100, 1}, clBlack));
    EXPECT_TRUE(Uniform(img, {99, 0, 100, 20}, clBlack));

    // None: W = 101, 101 * 0.42 -> 42, from x = 0 to 41.
    img = paint(TGaugeKind::gkHorizontalBar, TBorderStyle::bsNone, 42);
    ExpectPixels(img, {{0, 0, clRed}, {41, 19, clRed}, {42, 0, clWhite}, {99, 19, clWhite}});
    img = paint(TGaugeKind::gkHorizontalBar, TBorderStyle::bsNone, 100);
    EXPECT_TRUE(Uniform(img, {0, 0, 100, 20}, clRed));
    img = paint(TGaugeKind::gkHorizontalBar, TBorderStyle::bsNone, 0);
    EXPECT_TRUE(Uniform(img, {0, 0, 100, 20}, clWhite));
}

// At the screen's device pixel ratio (the suite runs again under QT_SCALE_FACTOR).
TEST_F(Painted, DensityBarEndsAtTheDevicePixelItsPercentageGives) {
    g.SetBounds(0, 0, 100, 20);
    g.SetForeColor(clRed);
    QImage img = paint(TGaugeKind::gkHorizontalBar, TBorderStyle::bsSingle, 42);
    const qreal r = img.devicePixelRatio();
    EXPECT_EQ(r, WidgetOf(g)->devicePixelRatioF());
    auto D = [r](int v) { return DevicePixel(v, r); };
    // W = 99 logical pixels: 42 % of its device pixels, the frame a pen wide.
    const int end = TGauge::FillLength(D(99), 42);
    const int y = D(10);
    for (int x = 0; x < img.width(); ++x) {
        const TColor want = x < D(1) || x >= D(99) ? clBlack : x < end ? clRed : clWhite;
        ASSERT_EQ(PixelAt(img, x, y), want) << "x " << x;
    }
}

TEST_F(Painted, TextShowsInTheInverseOfWhateverLiesBeneathIt) {
    g.SetBounds(0, 0, 100, 20);
    g.SetProgress(50);  // the bar ends at x = 48, in the middle of "50%"
    g.SetShowText(false);
    QImage bare = paint();
    g.SetShowText(true);
    QImage text = paint();
    int overBar = 0, overBack = 0;
    for (TPoint p : Differences(bare, text)) {
        EXPECT_EQ(PixelAt(text, p.X, p.Y), PixelAt(bare, p.X, p.Y) ^ kInverse);
        EXPECT_TRUE(p.X >= 1 && p.X < 99 && p.Y >= 1 && p.Y < 19) << "text on the frame";
        (p.X <= 48 ? overBar : overBack)++;
    }
    EXPECT_GT(overBar, 10);   // white on the black bar
    EXPECT_GT(overBack, 10);  // black on the white rest

    // On other colours too: blue over yellow, and the frame is left alone.
    g.SetKind(TGaugeKind::gkText);
    g.SetBackColor(clYellow);
    QImage yellow = paint();
    EXPECT_TRUE(Uniform(yellow, {0, 0, 100, 1}, clBlack));
    int blue = 0;
    for (int y = 1; y < 19; ++y)
        for (int x = 1; x < 99; ++x) {
            TColor c = PixelAt(yellow, x, y);
            EXPECT_TRUE(c == clYellow || c == clBlue) << x << ", " << y;
            blue += c == clBlue;
        }
    EXPECT_GT(blue, 10);
}

TEST_F(Painted, TextIsClippedToTheInnerArea) {
    g.SetBounds(0, 0, 12, 6);  // far smaller than "0%"
    g.SetKind(TGaugeKind::gkText);
    QImage img = paint();
    EXPECT_TRUE(Uniform(img, {0, 0, 12, 1}, clBlack));
    EXPECT_TRUE(Uniform(img, {0, 5, 12, 6}, clBlack));
    EXPECT_TRUE(Uniform(img, {0, 0, 1, 6}, clBlack));
    EXPECT_TRUE(Uniform(img, {11, 0, 12, 6}, clBlack));
}

TEST_F(Painted, TextKindFillsTheInnerAreaWithTheBackColour) {
    g.SetBounds(0, 0, 40, 40);
    g.SetBackColor(clLime);
    for (TBorderStyle border : kBorders) {
        SCOPED_TRACE(Name(border));
        QImage img = paint(TGaugeKind::gkText, border, 70);
        bool single = border == TBorderStyle::bsSingle;
        EXPECT_TRUE(Uniform(img, {1, 1, 39, 39}, clLime));
        ExpectPixels(img, {{0, 0, single ? clBlack : clLime}, {39, 39, single ? clBlack : clLime}});
    }
}

TEST_F(Painted, VerticalBarRisesFromTheBottom) {
    g.SetBounds(0, 0, 40, 40);
    struct Case {
        TBorderStyle border;
        int progress;
        std::vector<Pixel> pixels;
    };
    // Single: H = 39, F = H * P% (at most H - 1), rows H - F .. 38.
    // None: H = 41, rows 41 - F .. 39; at full the top row stays empty.
    const std::vector<Case> cases = {
        {TBorderStyle::bsSingle, 0, {{20, 38, clWhite}, {1, 1, clWhite}, {0, 39, clBlack}}},
        {TBorderStyle::bsSingle,
         50,
         {{20, 20, clBlack},
          {20, 19, clWhite},
          {1, 38, clBlack},
          {38, 20, clBlack},
          {39, 30, clBlack}}},
        {TBorderStyle::bsSingle, 100, {{1, 1, clBlack}, {38, 1, clBlack}, {20, 0, clBlack}}},
        {TBorderStyle::bsNone, 0, {{20, 39, clWhite}, {0, 0, clWhite}}},
        {TBorderStyle::bsNone, 50, {{0, 21, clBlack}, {39, 39, clBlack}, {20, 20, clWhite}}},
        {TBorderStyle::bsNone, 100, {{0, 1, clBlack}, {39, 1, clBlack}, {20, 0, clWhite}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << Name(c.border) << " " << c.progress << "%");
        ExpectPixels(paint(TGaugeKind::gkVerticalBar, c.border, c.progress), c.pixels);
    }
    QImage full = paint(TGaugeKind::gkVerticalBar, TBorderStyle::bsSingle, 100);
    EXPECT_TRUE(Uniform(full, {1, 1, 39, 39}, clBlack));
}

TEST_F(Painted, PieFillsClockwiseFromTwelveOClock) {
    // 41 x 41: in both border styles the ellipse is centred on pixel (20, 20).
    g.SetBounds(0, 0, 41, 41);
    g.SetColor(clRed);
    const TPoint upperRight{28, 12}, lowerRight{28, 28}, lowerLeft{12, 28}, upperLeft{12, 12};
    struct Case {
        int progress;
        bool ur, lr, ll, ul;  // quadrants filled
    };
    const Case cases[] = {{0, false, false, false, false},
                          {25, true, false, false, false},
                          {50, true, true, false, false},
                          {100, true, true, true, true}};
    for (TBorderStyle border : kBorders) {
        for (const Case& c : cases) {
            SCOPED_TRACE(testing::Message() << Name(border) << " " << c.progress << "%");
            QImage img = paint(TGaugeKind::gkPie, border, c.progress);
            auto expect = [&](TPoint p, bool filled) {
                EXPECT_EQ(PixelAt(img, p.X, p.Y), filled ? clBlack : clWhite)
                    << "at (" << p.X << ", " << p.Y << ")";
            };
            expect(upperRight, c.ur);
            expect(lowerRight, c.lr);
            expect(lowerLeft, c.ll);
            expect(upperLeft, c.ul);
            // Colour around the ellipse, its outline in the fore colour.
            bool single = border == TBorderStyle::bsSingle;
            ExpectPixels(img, {{single ? 2 : 1, single ? 2 : 1, clRed},
                               {0, 0, single ? clBlack : clRed},
                               {20, single ? 1 : 0, clBlack},
                               {single ? 1 : 0, 20, clBlack},
                               {20, 20, c.progress > 0 ? clBlack : clWhite}});
        }
        // The slice starts exactly at 12 o'clock and its edge moves clockwise.
        SCOPED_TRACE(Name(border));
        QImage quarter = paint(TGaugeKind::gkPie, border, 25);
        ExpectPixels(quarter,
                     {{21, 6, clBlack}, {19, 6, clWhite}, {34, 19, clBlack}, {34, 21, clWhite}});
        QImage half = paint(TGaugeKind::gkPie, border, 50);
        ExpectPixels(half, {{21, 34, clBlack}, {19, 34, clWhite}});
    }
}

TEST_F(Painted, NeedleTurnsFromLeftThroughUpToRight) {
    g.SetBounds(0, 0, 41, 21);
    g.SetColor(clRed);
    for (TBorderStyle border : kBorders) {
        SCOPED_TRACE(Name(border));
        bool single = border == TBorderStyle::bsSingle;
        const int base = single ? 19 : 20;  // B - 1: the needle's pivot row
        // The dial: colour in the corners, outline at the top, its inside in the back colour.
        QImage none = paint(TGaugeKind::gkNeedle, border, 0);
        ExpectPixels(none, {{single ? 1 : 0, single ? 1 : 0, clRed},
                            {20, single ? 1 : 0, clBlack},
                            {20, 10, clWhite},
                            {20, base - 1, clWhite},
                            {10, 10, clWhite}});
        QImage up = paint(TGaugeKind::gkNeedle, border, 50);
        for (int y = single ? 2 : 1; y < base; ++y)
            EXPECT_EQ(PixelAt(up, 20, y), clBlack) << "needle at row " << y;
        ExpectPixels(up, {{19, 10, clWhite}, {21, 10, clWhite}});
        // The needle itself is all that changed.
        for (TPoint p : Differences(none, up)) EXPECT_EQ(p.X, 20);

        QImage right = paint(TGaugeKind::gkNeedle, border, 100);
        for (int x = 20; x < 40; ++x)
            EXPECT_EQ(PixelAt(right, x, base), clBlack) << "needle at column " << x;
        ExpectPixels(right, {{20, 10, clWhite}, {20, base - 1, clWhite}, {30, base - 1, clWhite}});

        // A quarter: half-way between the left and the top.
        QImage quarter = paint(TGaugeKind::gkNeedle, border, 25);
        ExpectPixels(quarter, {{13, single ? 12 : 13, clBlack}, {20, 10, clWhite}});
    }
    // With a single border the base line lies on the frame's bottom row.
    g.SetForeColor(clBlue);
    QImage blue = paint(TGaugeKind::gkNeedle, TBorderStyle::bsSingle, 0);
    ExpectPixels(blue, {{1, 20, clBlue}, {40, 20, clBlue}, {0, 20, clBlack}, {0, 10, clBlack}});
}

TEST_F(Painted, EmptyRangeKeepsTheBarEmpty) {
    g.SetBounds(0, 0, 100, 20);
    g.SetShowText(false);
    g.SetMaxValue(0);
    g.SetProgress(50);
    EXPECT_TRUE(Uniform(paint(), {1, 1, 99, 19}, clWhite));
}

TEST_F(Painted, TextFollowsTheFontAndSizeAcrossRepeatedValues) {
    // The same percentages again and again, between changes of font and size: each paint
    // shows the text as the gauge stands now.
    g.SetBounds(0, 0, 80, 24);
    g.SetKind(TGaugeKind::gkText);
    auto textAt = [&](int progress) {
        g.SetProgress(progress);
        return paint();
    };
    QImage half = textAt(50), full = textAt(100);
    EXPECT_NE(half, full);
    EXPECT_EQ(textAt(50), half);
    g.Font().SetHeight(-20);
    g.Repaint();
    QImage bigHalf = paint();
    EXPECT_NE(bigHalf, half);
    EXPECT_NE(textAt(100), full);
    EXPECT_EQ(textAt(50), bigHalf);
    g.SetBounds(0, 0, 120, 24);
    QImage wideHalf = paint();
    EXPECT_NE(Differences(wideHalf.copy(0, 0, 80, 24), bigHalf).size(), 0u);
}

TEST(BltBitmap, MakeLikeTakesTheSizeAndFillsWithTheWindowFrameColour) {
    TBitmap templ(7, 3);
    TBltBitmap b;
    b.MakeLike(templ);
    EXPECT_EQ(b.Width(), 7);
    EXPECT_EQ(b.Height(), 3);
    EXPECT_EQ(b.Canvas().Brush().Color, clWindowFrame);
    EXPECT_EQ(b.Canvas().Brush().Style, TBrushStyle::bsSolid);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 7; ++x) EXPECT_EQ(PixelAt(b.Image(), x, y), ColorToRGB(clWindowFrame));
}

}  // namespace
