// Canvas rules that painting code and its tests rely on.
#include <gtest/gtest.h>

#include "framework/Canvas.h"
#include "support/GuiSupport.h"

using testing_support::PixelAt;

namespace {

QImage blank(int w, int h, TColor c = clWhite) {
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(ToQColor(c));
    return img;
}

TEST(Canvas, LinesLeaveOutTheirEndPoint) {
    QImage img = blank(10, 10);
    TCanvas c(&img);
    c.Pen().Color = clBlack;
    c.MoveTo(1, 1);
    c.LineTo(6, 1);
    EXPECT_EQ(PixelAt(img, 1, 1), clBlack);
    EXPECT_EQ(PixelAt(img, 5, 1), clBlack);
    EXPECT_EQ(PixelAt(img, 6, 1), clWhite);
    c.MoveTo(0, 0);
    c.LineTo(4, 4);
    EXPECT_EQ(PixelAt(img, 3, 3), clBlack);
    EXPECT_EQ(PixelAt(img, 4, 4), clWhite);
}

TEST(Canvas, RectanglesExcludeRightAndBottomEdges) {
    QImage img = blank(10, 10);
    TCanvas c(&img);
    c.Brush().Color = clRed;
    c.FillRect({2, 2, 5, 4});
    EXPECT_EQ(PixelAt(img, 2, 2), clRed);
    EXPECT_EQ(PixelAt(img, 4, 3), clRed);
    EXPECT_EQ(PixelAt(img, 5, 3), clWhite);
    EXPECT_EQ(PixelAt(img, 4, 4), clWhite);
}

TEST(Canvas, XorCombineInvertsWhereTheSourceIsWhite) {
    QImage dst = blank(4, 1, clBlack);
    dst.setPixel(1, 0, qRgb(255, 255, 255));
    QImage src = blank(4, 1, clBlack);
    src.setPixel(1, 0, qRgb(255, 255, 255));
    src.setPixel(2, 0, qRgb(255, 255, 255));
    TCanvas c(&dst);
    c.CopyRect({0, 0, 4, 1}, src, {0, 0, 4, 1}, TCopyMode::cmSrcInvert);
    EXPECT_EQ(PixelAt(dst, 0, 0), clBlack);
    EXPECT_EQ(PixelAt(dst, 1, 0), clBlack);
    EXPECT_EQ(PixelAt(dst, 2, 0), clWhite);
}

TEST(Canvas, TextIsDrawnWithoutSmoothingInTheFontColour) {
    QImage img = blank(60, 20);
    TCanvas c(&img);
    c.Font().SetName("Arial");
    c.Font().SetHeight(-13);
    c.Font().SetColor(clBlack);
    c.Brush().Style = TBrushStyle::bsClear;
    c.TextOut(2, 2, "Hg");
    int black = 0, other = 0;
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 60; ++x) {
            TColor p = PixelAt(img, x, y);
            if (p == clBlack)
                ++black;
            else if (p != clWhite)
                ++other;
        }
    EXPECT_GT(black, 10);
    EXPECT_EQ(other, 0);
    TTextMetric tm = c.TextMetrics();
    EXPECT_EQ(tm.Height - tm.InternalLeading, 13);
    EXPECT_GT(c.TextWidth("Hg"), c.TextWidth("H"));
}

TEST(Canvas, MulDivRoundsToNearest) {
    EXPECT_EQ(MulDiv(1, 10, 4), 3);  // 2.5 rounds away from zero
    EXPECT_EQ(MulDiv(1, 10, 3), 3);
    EXPECT_EQ(MulDiv(2, 10, 3), 7);
    EXPECT_EQ(MulDiv(-1, 10, 4), -3);
    EXPECT_EQ(MulDiv(5, 5, 0), -1);
}

TEST(Colors, SystemColoursResolveThroughTheTable) {
    EXPECT_EQ(ColorToRGB(clRed), 0x0000FFu);
    EXPECT_EQ(ColorToRGB(clBtnFace), 0xC0C0C0u);
    EXPECT_EQ(ColorToRGB(clBtnHighlight), 0xFFFFFFu);
    EXPECT_EQ(ColorToRGB(clActiveCaption), 0x800000u);
}

}  // namespace
