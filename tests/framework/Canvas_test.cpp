// Canvas rules that painting code and its tests rely on.
#include <gtest/gtest.h>

#include <cmath>

#include "framework/Canvas.h"
#include "framework/FrameControls.h"
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

// The same painting on a target of a device pixel ratio, as a high-density screen has it.
class Dense : public ::testing::TestWithParam<qreal> {
  protected:
    const qreal r = GetParam();
    int D(int v) const { return DevicePixel(v, r); }
    QImage blankAt(int w, int h) const {
        QImage img = MakeImage(w, h, r);
        img.fill(Qt::white);
        return img;
    }
};

TEST_P(Dense, EdgesAndLinesAreAPenOfDevicePixelsWide) {
    QImage img = blankAt(12, 12);
    TCanvas c(&img);
    TRect edge{0, 0, 12, 12};
    Frame3D(c, edge, clRed, clBlue, 2);
    c.Pen().Color = clGreen;
    c.MoveTo(4, 5);
    c.LineTo(8, 5);
    for (int x = 0; x < img.width(); ++x)
        EXPECT_EQ(PixelAt(img, x, D(6)), x < D(2) ? clRed : x >= D(10) ? clBlue : clWhite) << x;
    for (int y = D(4); y < D(7); ++y)
        EXPECT_EQ(PixelAt(img, D(5), y), y >= D(5) && y < D(6) ? clGreen : clWhite) << y;
    EXPECT_EQ(PixelAt(img, D(8), D(5)), clWhite);  // the end point is left out
    EXPECT_EQ(c.Pixel(7, 5), clGreen);             // read back in logical pixels
}

TEST_P(Dense, TextIsRenderedAtItsDeviceSizeNotEnlarged) {
    auto draw = [](QImage img, int at, int height) {
        img.fill(Qt::white);
        TCanvas c(&img);
        c.Font().SetName("Arial");
        c.Font().SetHeight(-height);
        c.Font().SetColor(clBlack);
        c.Brush().Style = TBrushStyle::bsClear;
        c.TextOut(at, at, "Hgw");
        return img;
    };
    auto black = [](const QImage& img, const QRect& in) {
        int n = 0;
        for (int y = in.top(); y <= in.bottom(); ++y)
            for (int x = in.left(); x <= in.right(); ++x) n += PixelAt(img, x, y) == clBlack;
        return n;
    };
    const QImage dense = draw(blankAt(60, 24), 2, 13);
    // As much ink as the text at r times the size, unlike the plain text enlarged.
    const QImage big = draw(QImage(dense.size(), QImage::Format_RGB32), D(2), std::lround(13 * r));
    const QImage enlarged = draw(QImage(60, 24, QImage::Format_RGB32), 2, 13).scaled(dense.size());
    const int ink = black(dense, dense.rect());
    EXPECT_NEAR(ink, black(big, big.rect()), ink / 10);
    int differ = 0, mixed = 0;
    for (int y = 0; y < dense.height(); ++y)
        for (int x = 0; x < dense.width(); ++x) differ += dense.pixel(x, y) != enlarged.pixel(x, y);
    EXPECT_GT(differ, ink / 10);
    // At a whole ratio glyph edges cut through blocks of r x r pixels.
    const int k = static_cast<int>(r);
    for (int y = 0; k == r && y + k <= dense.height(); y += k)
        for (int x = 0; x + k <= dense.width(); x += k) {
            const int n = black(dense, QRect(x, y, k, k));
            mixed += n > 0 && n < k * k;
        }
    if (k == r) EXPECT_GT(mixed, 10);
}

TEST_P(Dense, PicturesAreEnlargedSmoothlyAndSmallBitmapsStaySharp) {
    // Black and white halves: smoothing leaves greys at the seam, nearest neighbour none.
    QImage picture(8, 1, QImage::Format_RGB32);
    for (int x = 0; x < 8; ++x) picture.setPixel(x, 0, x < 4 ? qRgb(0, 0, 0) : qRgb(255, 255, 255));
    QImage smooth = blankAt(8, 1), sharp = blankAt(8, 1);
    TCanvas(&smooth).Draw(0, 0, picture);
    TCanvas(&sharp).DrawTransparent(0, 0, picture, clRed);
    int greys = 0;
    for (int x = 0; x < smooth.width(); ++x) {
        greys += PixelAt(smooth, x, 0) != clBlack && PixelAt(smooth, x, 0) != clWhite;
        EXPECT_EQ(PixelAt(sharp, x, 0), x < D(4) ? clBlack : clWhite) << x;
    }
    EXPECT_GT(greys, 0);
}

INSTANTIATE_TEST_SUITE_P(Ratios, Dense, ::testing::Values(1.5, 2.0));

}  // namespace
