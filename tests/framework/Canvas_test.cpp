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

// The box around every pixel that is not white, and how many there are.
struct Ink {
    QRect Box;
    int Count = 0;
};
Ink InkOf(const QImage& img) {
    Ink ink;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (PixelAt(img, x, y) != clWhite) {
                ink.Box |= QRect(x, y, 1, 1);
                ++ink.Count;
            }
    return ink;
}

TEST_P(Dense, FramesLinesAndEdgesAreAPenOfDevicePixelsWide) {
    QImage img = blankAt(12, 12);
    TCanvas c(&img);
    TRect edge{0, 0, 12, 12};
    Frame3D(c, edge, clRed, clBlue, 2);
    c.Pen().Color = clGreen;
    c.MoveTo(4, 5);
    c.LineTo(8, 5);
    const int mid = D(6);
    for (int x = 0; x < img.width(); ++x) {
        const TColor want = x < D(2) ? clRed : x >= D(10) ? clBlue : clWhite;
        EXPECT_EQ(PixelAt(img, x, mid), want) << "x " << x;
    }
    for (int y = 0; y < img.height(); ++y) {
        const int x = D(5);
        const TColor want = y < D(2)                ? clRed
                            : y >= D(10)            ? clBlue
                            : y >= D(5) && y < D(6) ? clGreen
                                                    : clWhite;
        EXPECT_EQ(PixelAt(img, x, y), want) << "y " << y;
    }
    EXPECT_EQ(PixelAt(img, D(8), D(5)), clWhite);  // the end point is left out
    EXPECT_EQ(c.Pixel(7, 5), clGreen);             // read back in logical pixels
}

TEST_P(Dense, TextIsRenderedAtItsDeviceSizeNotEnlarged) {
    auto draw = [](QImage& img, int x, int y, int height) {
        TCanvas c(&img);
        c.Font().SetName("Arial");
        c.Font().SetHeight(-height);
        c.Font().SetColor(clBlack);
        c.Brush().Style = TBrushStyle::bsClear;
        c.TextOut(x, y, "Hgw");
    };
    QImage dense = blankAt(60, 24);
    draw(dense, 2, 2, 13);
    // The same text at r times the size on a plain image, and the plain text enlarged.
    QImage big(dense.size(), QImage::Format_RGB32);
    big.fill(Qt::white);
    draw(big, D(2), D(2), static_cast<int>(std::lround(13 * r)));
    QImage plain(60, 24, QImage::Format_RGB32);
    plain.fill(Qt::white);
    draw(plain, 2, 2, 13);
    QImage enlarged = plain.scaled(dense.size());
    const Ink ink = InkOf(dense), want = InkOf(big);
    EXPECT_NEAR(ink.Box.width(), want.Box.width(), 2);
    EXPECT_NEAR(ink.Box.height(), want.Box.height(), 2);
    EXPECT_NEAR(ink.Count, want.Count, want.Count / 10);
    // Glyph edges lie on device pixels: the ink differs from the enlarged plain text, and
    // at a whole ratio not every block of r x r pixels is one colour.
    int differ = 0, mixedBlocks = 0;
    for (int y = 0; y < dense.height(); ++y)
        for (int x = 0; x < dense.width(); ++x)
            differ += PixelAt(dense, x, y) != PixelAt(enlarged, x, y);
    EXPECT_GT(differ, ink.Count / 10);
    const int k = static_cast<int>(r);
    if (k == r)
        for (int y = 0; y + k <= dense.height(); y += k)
            for (int x = 0; x + k <= dense.width(); x += k) {
                int black = 0;
                for (int j = 0; j < k; ++j)
                    for (int i = 0; i < k; ++i) black += PixelAt(dense, x + i, y + j) == clBlack;
                mixedBlocks += black > 0 && black < k * k;
            }
    if (k == r) EXPECT_GT(mixedBlocks, 10);
}

TEST_P(Dense, PicturesAreEnlargedSmoothlyAndSmallBitmapsStaySharp) {
    // Black and white halves: smoothing leaves greys at the seam, nearest neighbour none.
    QImage picture(8, 4, QImage::Format_RGB32);
    picture.fill(Qt::white);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) picture.setPixel(x, y, qRgb(0, 0, 0));
    auto greys = [](const QImage& img) {
        int n = 0;
        for (int x = 0; x < img.width(); ++x) {
            TColor p = PixelAt(img, x, 0);
            n += p != clBlack && p != clWhite;
        }
        return n;
    };
    QImage drawn = blankAt(8, 4), sharp = blankAt(8, 4);
    TCanvas(&drawn).Draw(0, 0, picture);
    TCanvas(&sharp).DrawTransparent(0, 0, picture, clRed);
    EXPECT_GT(greys(drawn), 0);
    EXPECT_EQ(greys(sharp), 0);
    EXPECT_EQ(PixelAt(sharp, D(4) - 1, 0), clBlack);
    EXPECT_EQ(PixelAt(sharp, D(4), 0), clWhite);
}

INSTANTIATE_TEST_SUITE_P(Ratios, Dense, ::testing::Values(1.5, 2.0));

}  // namespace
