// Canvas rules that painting code and its tests rely on.
#include <gtest/gtest.h>

#include <QBuffer>

#include "framework/Canvas.h"
#include "framework/Jpeg.h"
#include "framework/StringList.h"
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

TEST(Jpeg, DecodesThroughLibjpegAndRefusesOtherData) {
    QImage src(8, 6, QImage::Format_RGB32);
    src.fill(QColor(200, 40, 40));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    ASSERT_TRUE(src.save(&buffer, "JPG", 95));
    QImage out = DecodeJpeg(std::string(bytes.constData(), static_cast<size_t>(bytes.size())));
    ASSERT_FALSE(out.isNull());
    EXPECT_EQ(out.size(), QSize(8, 6));
    EXPECT_NEAR(qRed(out.pixel(3, 3)), 200, 8);
    EXPECT_TRUE(DecodeJpeg("not a picture at all").isNull());
    EXPECT_TRUE(DecodeJpeg("").isNull());

    // The same few hundred bytes declaring other sizes: huge ones are refused unread.
    std::string small(bytes.constData(), static_cast<size_t>(bytes.size()));
    size_t sof = small.find("\xFF\xC0");
    ASSERT_NE(sof, std::string::npos);
    struct Case {
        unsigned width, height;
        bool decoded;
    };
    for (Case c : {Case{4096, 16, true}, Case{4097, 16, false}, Case{16, 12000, false},
                   Case{12000, 12000, false}}) {
        std::string patched = small;
        patched[sof + 5] = static_cast<char>(c.height >> 8);
        patched[sof + 6] = static_cast<char>(c.height);
        patched[sof + 7] = static_cast<char>(c.width >> 8);
        patched[sof + 8] = static_cast<char>(c.width);
        EXPECT_EQ(!DecodeJpeg(patched).isNull(), c.decoded) << c.width << " x " << c.height;
    }
}

TEST(StringList, SortedListIgnoresCaseAndDuplicates) {
    TStringList list;
    list.SetSorted(true);
    list.Add("maps");
    list.Add("Save");
    list.Add("MAPS");
    list.Add("alpha");
    EXPECT_EQ(list.Items(), (std::vector<std::string>{"alpha", "maps", "Save"}));
    EXPECT_EQ(list.IndexOf("SAVE"), 2);
    EXPECT_EQ(list.IndexOf("none"), -1);
    TStringList copy;
    copy.SetSorted(true);
    copy.Assign(list);
    EXPECT_EQ(copy.Items(), list.Items());
}

TEST(StringList, TextSplitsAtEveryKindOfLineEnd) {
    TStringList list;
    list.SetText("a\r\nb\rc\nd");
    EXPECT_EQ(list.Items(), (std::vector<std::string>{"a", "b", "c", "d"}));
    list.SetText("");
    EXPECT_EQ(list.Count(), 0);
}

}  // namespace
