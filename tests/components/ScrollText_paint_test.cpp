// The scrolling text's painting: where the block stands at each step, checked on the
// painted pixels, and the three-dimensional copies with their alignment.
#include <gtest/gtest.h>

#include <optional>

#include "components/ScrollText.h"
#include "support/GuiSupport.h"

using testing_support::PixelAt;

namespace {

constexpr TColor kBack = 0x400000;  // dark blue
constexpr TColor kFace = 0x0000FF;  // red

// Bounding box of the pixels of one colour, if any.
std::optional<TRect> Ink(const QImage& img, TColor c) {
    std::optional<TRect> box;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (PixelAt(img, x, y) == c) {
                if (!box) box = TRect{x, y, x + 1, y + 1};
                box->Left = std::min(box->Left, x);
                box->Top = std::min(box->Top, y);
                box->Right = std::max(box->Right, x + 1);
                box->Bottom = std::max(box->Bottom, y + 1);
            }
    return box;
}

bool OnlyBackground(const QImage& img) {
    return !Ink(img, kFace);
}

struct Painted : ::testing::Test {
    TScrollText text{nullptr};

    void SetUp() override {
        text.StopScroll();
        text.SetBounds(0, 0, 120, 60);
        text.SetColor(kBack);
        text.Font().SetName("Arial");
        text.Font().SetHeight(-13);
        text.Font().SetColor(kFace);
        text.SetItems(TStringList{"Tarn", "Tower"});
        text.SetSteps(4);
    }
    // Paints the control at a step of its pass.
    QImage at(int step) {
        text.StopScroll();
        text.StartScroll(step);
        text.Repaint();
        return text.Surface().copy();
    }
};

TEST_F(Painted, EveryDirectionEntersAtOneEdgeAndLeavesAtTheOpposite) {
    struct Case {
        TScrollDirection direction;
        TPoint start, end;  // block origin at fraction 0 and 1
    };
    text.MeasureBlock();
    const int bw = text.BlockWidth(), bh = text.BlockHeight(), w = 120, h = 60;
    const int left = text.BlockLeft(), top = text.BlockTop();
    ASSERT_EQ(left, (w - bw) / 2);
    ASSERT_EQ(top, (h - bh) / 2);
    const Case cases[] = {
        {TScrollDirection::sdRightToLeft, {w, top}, {-bw, top}},
        {TScrollDirection::sdLeftToRight, {-bw, top}, {w, top}},
        {TScrollDirection::sdTopToBottom, {left, -bh}, {left, h}},
        {TScrollDirection::sdBottomToTop, {left, h}, {left, -bh}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.direction));
        text.SetScrollDirection(c.direction);
        EXPECT_TRUE(OnlyBackground(at(0)));
        EXPECT_EQ(text.BlockOrigin(), c.start);
        EXPECT_TRUE(OnlyBackground(at(4)));
        EXPECT_EQ(text.BlockOrigin(), c.end);
        // The last tick of a pass lies beyond the far edge.
        text.StartScroll(4);
        text.TimerTick(nullptr);
        EXPECT_EQ(text.CurrentStep(), 0);             // the pass is over...
        EXPECT_TRUE(OnlyBackground(text.Surface()));  // ...and its last paint was empty
    }
}

TEST_F(Painted, TheWholeBlockMovesAsOne) {
    // Standing still the block is centred; moving, it is the same picture shifted.
    text.SetScrollDirection(TScrollDirection::sdStatic);
    QImage still = at(0);
    TRect box = *Ink(still, kFace);
    const int left = text.BlockLeft(), top = text.BlockTop();

    text.SetScrollDirection(TScrollDirection::sdLeftToRight);
    at(2);
    TPoint o = text.BlockOrigin();
    EXPECT_EQ(o.Y, top);
    EXPECT_EQ(*Ink(text.Surface(), kFace), box.Offset(o.X - left, 0));

    text.SetScrollDirection(TScrollDirection::sdBottomToTop);
    at(2);
    o = text.BlockOrigin();
    EXPECT_EQ(o.X, left);
    EXPECT_EQ(*Ink(text.Surface(), kFace), box.Offset(0, o.Y - top));
}

TEST_F(Painted, HalfwayPositionsRoundHalvesToEven) {
    text.MeasureBlock();
    const int bw = text.BlockWidth();
    // Widths where half of (block + control) ends in .5, once with an even and once with
    // an odd integer part: rounding goes to the even neighbour both times.
    for (int w : {121 - bw % 2 + 2, 121 - bw % 2}) {
        text.SetBounds(0, 0, w, 60);
        text.MeasureBlock();
        const int travel = bw + w;
        ASSERT_EQ(travel % 2, 1);
        int half = travel / 2;  // .5 below the exact value
        int even = half % 2 == 0 ? half : half + 1;
        text.SetScrollDirection(TScrollDirection::sdLeftToRight);
        at(2);
        EXPECT_EQ(text.BlockOrigin().X, even - bw) << "width " << w;
    }
}

TEST_F(Painted, AnEmptyBlockPaintsOnlyTheBackground) {
    text.SetItems(TStringList{});
    text.SetScrollDirection(TScrollDirection::sdStatic);
    QImage img = at(0);
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) ASSERT_EQ(PixelAt(img, x, y), kBack);
}

TEST_F(Painted, EachPaintShowsTheLinesFaceAndBackgroundOfTheMoment) {
    text.SetScrollDirection(TScrollDirection::sdStatic);
    const TRect before = *Ink(at(0), kFace);
    // Through the list itself, with nothing told: the next paint still shows the new lines.
    text.Items().SetStrings(1, "Tower of the Tarn");
    EXPECT_GT(Ink(at(0), kFace)->Width(), before.Width());
    const TColor face = 0x00FF00, back = 0x000040;
    text.Font().SetColor(face);
    text.SetColor(back);
    QImage img = at(0);
    EXPECT_FALSE(Ink(img, kFace));
    EXPECT_TRUE(Ink(img, face));
    EXPECT_EQ(PixelAt(img, 0, 0), back);
}

TEST_F(Painted, AWideBlockStartsAtTheLeftEdgeWhenMovingVertically) {
    text.SetItems(TStringList{"A line far wider than the control itself"});
    text.SetScrollDirection(TScrollDirection::sdTopToBottom);
    at(2);
    EXPECT_EQ(text.BlockLeft(), 0);
    EXPECT_EQ(text.BlockOrigin().X, 0);
}

// Raised text: highlight up-left and shadow down-right of the face, each Depth away; the
// alignment offset uses the plain width, so the copies stick out of a left- or
// right-justified line's place, and fill a centred widest line's block exactly.
TEST_F(Painted, RaisedCopiesAndAlignment) {
    const int d = 2;
    const TColor highlight = ColorToRGB(clBtnHighlight), shadow = ColorToRGB(clBtnShadow);
    ASSERT_NE(highlight, shadow);
    text.SetItems(TStringList{"IIII"});
    text.SetScrollDirection(TScrollDirection::sdStatic);
    text.SetDepth(d);
    text.SetTextStyle(TTextStyle::tsRaised);

    struct Seen {
        TRect face, light, dark;
    };
    auto paint = [&](TAlignment a) {
        text.SetAlignment(a);
        QImage img = at(0);
        return Seen{*Ink(img, kFace), *Ink(img, highlight), *Ink(img, shadow)};
    };
    Seen left = paint(TAlignment::taLeftJustify);
    Seen centre = paint(TAlignment::taCenter);
    Seen right = paint(TAlignment::taRightJustify);
    for (const Seen& s : {left, centre, right}) {
        EXPECT_EQ(s.light.Left, s.face.Left - d);
        EXPECT_EQ(s.light.Top, s.face.Top - d);
        EXPECT_EQ(s.dark.Right, s.face.Right + d);
        EXPECT_EQ(s.dark.Bottom, s.face.Bottom + d);
    }
    // Offsets 0, Depth and 2 x Depth from the block's left edge.
    EXPECT_EQ(centre.face.Left - left.face.Left, d);
    EXPECT_EQ(right.face.Left - left.face.Left, 2 * d);
    // The centred (widest) line fills the block: its highlight starts at the block's left
    // edge, where a left-justified face starts, and its shadow ends where a
    // right-justified face ends.
    EXPECT_EQ(centre.light.Left, left.face.Left);
    EXPECT_EQ(centre.dark.Right, right.face.Right);

    text.SetTextStyle(TTextStyle::tsLowered);
    text.SetAlignment(TAlignment::taCenter);
    QImage lowered = at(0);
    EXPECT_EQ(Ink(lowered, shadow)->Left, Ink(lowered, kFace)->Left - d);
    EXPECT_EQ(Ink(lowered, highlight)->Right, Ink(lowered, kFace)->Right + d);

    text.SetTextStyle(TTextStyle::tsShaddow);
    QImage shaded = at(0);
    EXPECT_FALSE(Ink(shaded, highlight));
    EXPECT_EQ(Ink(shaded, shadow)->Right, Ink(shaded, kFace)->Right + d);
}

}  // namespace
