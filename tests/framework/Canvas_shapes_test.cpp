// Ellipses and pie slices: inscribed in their rectangle, slices counter-clockwise between
// two radials, painted without smoothing.
#include <gtest/gtest.h>

#include "framework/Canvas.h"
#include "support/GuiSupport.h"

using testing_support::PixelAt;

namespace {

QImage Blank(int w, int h) {
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(Qt::white);
    return img;
}

// Bounding box of the pixels of a colour.
TRect Extent(const QImage& img, TColor c) {
    TRect r{img.width(), img.height(), -1, -1};
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (PixelAt(img, x, y) == c) {
                r.Left = std::min(r.Left, x);
                r.Top = std::min(r.Top, y);
                r.Right = std::max(r.Right, x + 1);
                r.Bottom = std::max(r.Bottom, y + 1);
            }
    return r;
}

TEST(Ellipse, IsInscribedInItsRectangleAndSymmetric) {
    for (TRect box : {TRect{2, 3, 13, 10}, TRect{1, 1, 21, 21}, TRect{0, 0, 30, 8}}) {
        SCOPED_TRACE(testing::Message()
                     << box.Left << "," << box.Top << "," << box.Right << "," << box.Bottom);
        QImage img = Blank(32, 24);
        TCanvas c(&img);
        c.Pen().Color = clBlack;
        c.Brush().Color = clRed;
        c.Ellipse(box.Left, box.Top, box.Right, box.Bottom);
        EXPECT_EQ(Extent(img, clBlack), box);
        int cx = (box.Left + box.Right - 1) / 2, cy = (box.Top + box.Bottom - 1) / 2;
        EXPECT_EQ(PixelAt(img, cx, cy), clRed);
        for (int y = box.Top; y < box.Bottom; ++y)
            for (int x = box.Left; x < box.Right; ++x) {
                int mx = box.Left + box.Right - 1 - x, my = box.Top + box.Bottom - 1 - y;
                ASSERT_EQ(PixelAt(img, x, y), PixelAt(img, mx, y)) << x << ", " << y;
                ASSERT_EQ(PixelAt(img, x, y), PixelAt(img, x, my)) << x << ", " << y;
            }
        // Corners of the rectangle lie outside the ellipse.
        EXPECT_EQ(PixelAt(img, box.Left, box.Top), clWhite);
        EXPECT_EQ(PixelAt(img, box.Right - 1, box.Bottom - 1), clWhite);
    }
}

TEST(Pie, RunsCounterClockwiseBetweenTheRadials) {
    // A wide ellipse centred on (20, 10); the radials point at 3 and at 12 o'clock.
    QImage img = Blank(41, 21);
    TCanvas c(&img);
    c.Pen().Color = clBlack;
    c.Brush().Color = clRed;
    c.MoveTo(5, 6);
    c.Pie(0, 0, 41, 21, 40, 10, 20, 0);
    EXPECT_EQ(c.PenPos(), (TPoint{5, 6}));
    EXPECT_EQ(PixelAt(img, 30, 5), clRed);    // upper right: inside the slice
    EXPECT_EQ(PixelAt(img, 10, 5), clWhite);  // the other three quarters stay empty
    EXPECT_EQ(PixelAt(img, 10, 15), clWhite);
    EXPECT_EQ(PixelAt(img, 30, 15), clWhite);
    for (int y = 1; y <= 10; ++y) EXPECT_EQ(PixelAt(img, 20, y), clBlack) << "12 o'clock " << y;
    for (int x = 20; x <= 39; ++x) EXPECT_EQ(PixelAt(img, x, 10), clBlack) << "3 o'clock " << x;
    EXPECT_EQ(PixelAt(img, 21, 0), clBlack);  // the arc
    EXPECT_EQ(PixelAt(img, 19, 0), clWhite);  // the arc stops at the radial
    EXPECT_EQ(PixelAt(img, 40, 11), clWhite);

    // Swapped radials: the other three quarters.
    QImage rest = Blank(41, 21);
    TCanvas r(&rest);
    r.Pen().Color = clBlack;
    r.Brush().Color = clRed;
    r.Pie(0, 0, 41, 21, 20, 0, 40, 10);
    EXPECT_EQ(PixelAt(rest, 30, 5), clWhite);
    EXPECT_EQ(PixelAt(rest, 10, 5), clRed);
    EXPECT_EQ(PixelAt(rest, 10, 15), clRed);
    EXPECT_EQ(PixelAt(rest, 30, 15), clRed);
}

TEST(Pie, EqualRadialsGiveTheWholeEllipse) {
    QImage pie = Blank(21, 21), ellipse = Blank(21, 21);
    TCanvas p(&pie), e(&ellipse);
    for (TCanvas* c : {&p, &e}) {
        c->Pen().Color = clBlack;
        c->Brush().Color = clRed;
    }
    p.Pie(0, 0, 21, 21, 10, 0, 10, 0);
    e.Ellipse(0, 0, 21, 21);
    // The same, plus one radial.
    for (int y = 0; y < 21; ++y)
        for (int x = 0; x < 21; ++x) {
            if (x == 10 && y <= 10) {
                EXPECT_EQ(PixelAt(pie, x, y), clBlack);
                continue;
            }
            EXPECT_EQ(PixelAt(pie, x, y), PixelAt(ellipse, x, y)) << x << ", " << y;
        }
}

TEST(Pie, KeepsToTheClipRectangle) {
    QImage img = Blank(21, 21);
    TCanvas c(&img);
    c.Brush().Color = clRed;
    c.SetClipRect({0, 0, 21, 10});
    c.Pie(0, 0, 21, 21, 10, 20, 10, 20);
    EXPECT_EQ(Extent(img, clRed).Bottom, 10);
    EXPECT_EQ(Extent(img, clBlack).Bottom, 10);
}

}  // namespace

namespace {

// Bitmaps take a row-wise path, window surfaces (premultiplied) the pixel-wise one; both
// must give the same picture, offsets, clipping and edges included.
TEST(CopyRect, RowWiseAndPixelWiseCombineAlike) {
    QImage source(9, 7, QImage::Format_RGB32);
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 9; ++x) source.setPixel(x, y, qRgb(x * 28, y * 36, (x ^ y) * 17));
    for (TCopyMode mode : {TCopyMode::cmSrcCopy, TCopyMode::cmSrcInvert, TCopyMode::cmSrcAnd,
                           TCopyMode::cmSrcPaint}) {
        QImage rows(12, 10, QImage::Format_RGB32);
        QImage pixels(12, 10, QImage::Format_ARGB32_Premultiplied);
        for (QImage* img : {&rows, &pixels})
            for (int y = 0; y < 10; ++y)
                for (int x = 0; x < 12; ++x) img->setPixel(x, y, qRgb(200 - x * 9, y * 20, 90));
        for (QImage* img : {&rows, &pixels}) {
            TCanvas c(img);
            c.SetClipRect({1, 0, 11, 8});
            // Partly outside the source and the target.
            c.CopyRect({-2, 3, 10, 13}, source, {1, -1, 13, 9}, mode);
        }
        for (int y = 0; y < 10; ++y)
            for (int x = 0; x < 12; ++x)
                ASSERT_EQ(PixelAt(rows, x, y), PixelAt(pixels, x, y))
                    << "mode " << static_cast<int>(mode) << " at " << x << ", " << y;
        if (mode == TCopyMode::cmSrcCopy) {
            EXPECT_EQ(PixelAt(rows, 3, 5), PixelAt(source, 6, 1));
            EXPECT_EQ(PixelAt(rows, 0, 5), RGB(200, 100, 90));      // left of the clip
            EXPECT_EQ(PixelAt(rows, 3, 2), RGB(200 - 27, 40, 90));  // above the target rect
        }
    }
}

}  // namespace
