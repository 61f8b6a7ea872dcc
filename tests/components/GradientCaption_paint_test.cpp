// The painted caption bar, checked pixel by pixel in the form's window surface: gradient
// bands, when the gradient is used, the caption buttons and the layout of the title.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <optional>
#include <vector>

#include "components/GradientCaption.h"
#include "framework/Application.h"
#include "framework/FrameControls.h"
#include "framework/Seams.h"
#include "framework/SysMetrics.h"
#include "support/GuiSupport.h"

using namespace testing_support;

namespace {

constexpr TColor kLeft = 0x1EC80A;   // r 10, g 200, b 30
constexpr TColor kRight = 0x8314FA;  // r 250, g 20, b 131

// Rounded x*y/z, halves away from zero, worked out independently of the framework.
int mulDiv(int x, int y, int z) {
    return static_cast<int>(std::lround(static_cast<double>(x) * y / z));
}

TColor bandColour(int i, int n, TColor c0, TColor c1) {
    if (n == 1) return c0;
    auto channel = [&](int shift) {
        int a = (c0 >> shift) & 0xFF, b = (c1 >> shift) & 0xFF;
        return static_cast<TColor>(a + mulDiv(i, b - a, n - 1)) << shift;
    };
    return channel(0) | channel(8) | channel(16);
}

struct Extent {
    int Min = 1 << 30, Max = -1, Count = 0;
    bool Found() const { return Count > 0; }
};

struct CaptionBar : ::testing::Test {
    TForm* form = nullptr;
    TGradientCaption* gc = nullptr;
    std::optional<seams::ScreenDepthScope> depth{32};

    void TearDown() override { delete form; }
    void Make(TFormBorderStyle style, TBorderIcons icons, int clientWidth) {
        form = new TForm(Application);
        form->SetBorderStyle(style);
        form->SetBorderIcons(icons);
        form->SetClientSize(clientWidth, 60);
        form->SetCaption("");
        gc = new TGradientCaption(form);
    }
    // Activation repaints the bar in that state.
    void Paint(bool active) { form->Perform(WM_NCACTIVATE, active ? 1 : 0); }
    TColor Px(int x, int y) const { return PixelAt(form->WindowSurface(), x, y); }
    Extent Find(TColor colour, const TRect& r) const {
        Extent e;
        for (int y = r.Top; y < r.Bottom; ++y)
            for (int x = r.Left; x < r.Right; ++x)
                if (Px(x, y) == colour) {
                    e.Min = std::min(e.Min, x);
                    e.Max = std::max(e.Max, x);
                    ++e.Count;
                }
        return e;
    }
};

TEST_F(CaptionBar, GradientBandsFollowTheRoundedFractionsOfTheWidth) {
    // A 100-pixel title area; 150 and 256 bands leave some bands without a pixel, and with
    // 256 the last band itself rounds to nothing.
    for (int n : {1, 4, 150, 256}) {
        SCOPED_TRACE(n);
        Make(TFormBorderStyle::bsSingle, 0, 100);
        gc->SetEnabled(TGradEnabled::geAlways);
        gc->SetColorLeftActive(kLeft);
        gc->SetColorRightActive(kRight);
        gc->SetNumColors(n);
        Paint(true);
        TRect bar = gc->GetBarRect();
        ASSERT_EQ(bar, (TRect{3, 3, 103, 21}));
        int mismatches = 0, emptyBands = 0;
        for (int i = 0; i < n; ++i) {
            int x1 = bar.Left + mulDiv(i, 100, n), x2 = bar.Left + mulDiv(i + 1, 100, n);
            if (x1 == x2) ++emptyBands;
            for (int x = x1; x < x2; ++x)
                for (int y = bar.Top; y < bar.Bottom; ++y)
                    if (Px(x, y) != bandColour(i, n, kLeft, kRight)) ++mismatches;
        }
        EXPECT_EQ(mismatches, 0);
        // With 256 bands on 100 pixels the first and the last band are both empty.
        if (n == 256) {
            EXPECT_NE(Px(bar.Left, bar.Top), kLeft);
            EXPECT_NE(Px(bar.Right - 1, bar.Top), kRight);
        } else {
            EXPECT_EQ(Px(bar.Left, bar.Top), kLeft);
            EXPECT_EQ(Px(bar.Right - 1, bar.Bottom - 1), n == 1 ? kLeft : kRight);
        }
        EXPECT_EQ(emptyBands, std::max(0, n - 100));
        delete form;
        form = nullptr;
    }
}

TEST_F(CaptionBar, WhenActiveOnlyTheInactiveBarIsSolidButtonAreaIncluded) {
    Make(TFormBorderStyle::bsSingle, biSystemMenu, 200);
    gc->SetEnabled(TGradEnabled::geWhenActive);
    gc->SetColorLeftActive(clRed);
    gc->SetColorRightActive(clBlue);
    gc->SetColorLeftInActive(clRed);
    gc->SetColorRightInActive(clBlue);
    TRect bar = gc->GetBarRect();
    TRect close{bar.Right - 18, bar.Top + 2, bar.Right - 2, bar.Bottom - 2};
    TRect icon{bar.Left + 2, bar.Top + 1, bar.Left + 18, bar.Top + 17};
    auto outsideButtonAndIcon = [&](TColor expected) {
        int wrong = 0;
        for (int y = bar.Top; y < bar.Bottom; ++y)
            for (int x = bar.Left; x < bar.Right; ++x)
                if (!close.Contains(x, y) && !icon.Contains(x, y) && Px(x, y) != expected) ++wrong;
        return wrong;
    };
    Paint(false);
    EXPECT_EQ(outsideButtonAndIcon(ColorToRGB(clInactiveCaption)), 0);
    Paint(true);
    // Active: the gradient in the title area, its right end around the button.
    EXPECT_EQ(Px(bar.Left, bar.Top), clRed);
    EXPECT_EQ(Px(bar.Right - 1, bar.Top + 5), clBlue);
    EXPECT_EQ(Px(close.Left - 1, bar.Top + 5), clBlue);
    EXPECT_EQ(Px(bar.Right - 10, bar.Top), clBlue);
}

TEST_F(CaptionBar, SmartGradientDependsOnTheScreenDepth) {
    struct Case {
        int depth;
        bool active;
        bool gradient;
    } cases[] = {{32, true, true},  {32, false, true}, {16, false, true}, {8, true, true},
                 {8, false, false}, {4, true, false},  {4, false, false}};
    Make(TFormBorderStyle::bsSingle, 0, 100);
    gc->SetColorLeftActive(clRed);
    gc->SetColorLeftInActive(clRed);
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.depth << (c.active ? " active" : " inactive"));
        depth.emplace(c.depth);
        Paint(c.active);
        TColor sys = ColorToRGB(c.active ? clActiveCaption : clInactiveCaption);
        EXPECT_EQ(Px(3, 10), c.gradient ? clRed : sys);
        EXPECT_EQ(Px(102, 10), sys);  // both right ends are the caption colours by default
    }
}

// Buttons drawn where hit-testing finds them, with the glyph and state the form asks for.
TEST_F(CaptionBar, ButtonGeometryAndGlyphs) {
    struct Button {
        unsigned hitTest;
        unsigned state;  // DFCS_*; ~0u: not shown
    };
    struct Case {
        const char* name;
        TFormBorderStyle style;
        TBorderIcons icons;
        TWindowState windowState;
        int textRight;  // title area's right edge, from the bar's right edge
        std::vector<Button> buttons;
    } cases[] = {
        {"sizeable with minimize and maximize",
         TFormBorderStyle::bsSizeable,
         biSystemMenu | biMinimize | biMaximize,
         TWindowState::wsNormal,
         -56,
         {{HTCLOSE, DFCS_CAPTIONCLOSE},
          {HTMAXBUTTON, DFCS_CAPTIONMAX},
          {HTMINBUTTON, DFCS_CAPTIONMIN},
          {HTHELP, ~0u}}},
        {"maximized, maximize icon only",
         TFormBorderStyle::bsSizeable,
         biSystemMenu | biMaximize,
         TWindowState::wsMaximized,
         -56,
         {{HTCLOSE, DFCS_CAPTIONCLOSE},
          {HTMAXBUTTON, DFCS_CAPTIONRESTORE},
          {HTMINBUTTON, DFCS_CAPTIONMIN | DFCS_INACTIVE}}},
        {"dialog with help",
         TFormBorderStyle::bsDialog,
         biSystemMenu | biHelp | biMinimize,
         TWindowState::wsNormal,
         -40,
         {{HTCLOSE, DFCS_CAPTIONCLOSE}, {HTHELP, DFCS_CAPTIONHELP}, {HTMINBUTTON, ~0u}}},
        {"single with help only",
         TFormBorderStyle::bsSingle,
         biSystemMenu | biHelp,
         TWindowState::wsNormal,
         -40,
         {{HTCLOSE, DFCS_CAPTIONCLOSE}, {HTHELP, DFCS_CAPTIONHELP}}},
        {"tool window",
         TFormBorderStyle::bsToolWindow,
         biSystemMenu | biMinimize | biHelp,
         TWindowState::wsNormal,
         -14,
         {{HTCLOSE, DFCS_CAPTIONCLOSE}, {HTMINBUTTON, ~0u}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Make(c.style, c.icons, 200);
        form->SetWindowState(c.windowState);
        gc->SetColorLeftActive(clBlue);
        gc->SetColorRightActive(clBlue);
        Paint(true);
        TRect bar = gc->GetBarRect();
        EXPECT_EQ(gc->GetTextRect().Right, bar.Right + c.textRight);
        TRect previous{};
        for (const Button& b : c.buttons) {
            TRect r = form->CaptionButtonRect(b.hitTest);
            if (b.state == ~0u) {
                EXPECT_TRUE(r.IsEmpty()) << b.hitTest;
                continue;
            }
            ASSERT_FALSE(r.IsEmpty()) << b.hitTest;
            // The same button drawn alone.
            QImage ref(r.Width(), r.Height(), QImage::Format_RGB32);
            TCanvas rc(&ref);
            DrawFrameControl(rc, {0, 0, r.Width(), r.Height()}, DFC_CAPTION, b.state);
            int wrong = 0;
            for (int y = 0; y < r.Height(); ++y)
                for (int x = 0; x < r.Width(); ++x)
                    if (Px(r.Left + x, r.Top + y) != PixelAt(ref, x, y)) ++wrong;
            EXPECT_EQ(wrong, 0) << b.hitTest;
            // Bar colour around the button: above, below, and in the gap after close.
            EXPECT_EQ(Px(r.Left, bar.Top + 1), clBlue);
            EXPECT_EQ(Px(r.Left, bar.Bottom - 1), clBlue);
            if (b.hitTest == HTCLOSE) {
                EXPECT_EQ(Px(r.Right, r.Top + 3), clBlue);
            }
            // Minimize sits against maximize; maximize and help keep 2 pixels from close.
            if (b.hitTest == HTMINBUTTON) {
                EXPECT_EQ(r.Right, previous.Left);
            } else if (b.hitTest != HTCLOSE) {
                EXPECT_EQ(r.Right + 2, previous.Left);
            }
            previous = r;
        }
        delete form;
        form = nullptr;
    }
}

TEST_F(CaptionBar, IconOfTheFormAfterOneFreePixel) {
    Make(TFormBorderStyle::bsSizeable, biSystemMenu, 200);
    gc->SetEnabled(TGradEnabled::geNever);
    Paint(true);
    TColor face = ColorToRGB(clActiveCaption);
    // The default icon's frame is black, the title area's colour shows through around it.
    EXPECT_EQ(Px(4, 4), face);
    EXPECT_EQ(Px(4 + 2 + 1, 4 + 1 + 2), clBlack);
    QImage red(16, 16, QImage::Format_RGB32);
    red.fill(QColor(255, 0, 0));
    form->SetIcon(red);  // WM_SETICON repaints at once
    TRect icon{4 + 2, 4 + 1, 4 + 18, 4 + 17};
    EXPECT_EQ(Find(clRed, gc->GetBarRect()).Count, 16 * 16);
    EXPECT_EQ(Px(icon.Left, icon.Top), clRed);
    EXPECT_EQ(Px(icon.Right - 1, icon.Bottom - 1), clRed);
    EXPECT_EQ(Px(icon.Left - 1, icon.Top), face);
}

TEST_F(CaptionBar, MinimisedBarLiesWithinTheFixedFrame) {
    Make(TFormBorderStyle::bsSizeable, 0, 120);
    gc->SetEnabled(TGradEnabled::geAlways);
    gc->SetColorLeftActive(clRed);
    gc->SetColorRightActive(clRed);
    EXPECT_EQ(gc->GetBarRect(), (TRect{4, 4, 124, 22}));
    form->SetWindowState(TWindowState::wsMinimized);
    Paint(true);
    EXPECT_EQ(gc->GetBarRect(), (TRect{3, 3, 125, 21}));
    EXPECT_EQ(Px(3, 3), clRed);
    EXPECT_EQ(Px(124, 20), clRed);
    EXPECT_NE(Px(3, 21), clRed);
}

// ---- Title ------------------------------------------------------------------------------------

struct Title : CaptionBar {
    TFont font;
    void SetUp() override {
        CaptionBar::SetUp();
        font.SetName("Arial");
        font.SetHeight(-13);
    }
    int M(const std::string& text) const {
        QImage scratch(10, 10, QImage::Format_RGB32);
        TCanvas c(&scratch);
        c.SetFont(font);
        return c.TextWidth(text) + 3;
    }
    // A black bar whose title area is exactly `width` wide, parts in red, lime and blue.
    void MakeTitled(int width, const std::string& company, const std::string& app,
                    const std::string& caption) {
        Make(TFormBorderStyle::bsSingle, 0, width);
        gc->SetEnabled(TGradEnabled::geNever);
        TCompanyText* parts[] = {gc->CompanyText(), gc->AppNameText(), gc->CaptionText()};
        TColor colours[] = {clRed, clLime, clBlue};
        for (int i = 0; i < 3; ++i) {
            parts[i]->SetFont(font);
            parts[i]->SetColorActive(colours[i]);
        }
        gc->CaptionText()->SetCaption(caption);
        gc->CompanyText()->SetCaption(company);
        gc->AppNameText()->SetCaption(app);
    }
};

TEST_F(Title, TooWideDropsCompanyThenApplicationNameThenCutsTheCaption) {
    const std::string company = "Acme Corp", app = "Builder", caption = "Setup Program";
    int sum3 = M(company) + M(app) + M(caption), sum2 = M(app) + M(caption);
    struct Case {
        int width;
        bool company, app;
    } cases[] = {{sum3 + 1, true, true},
                 {sum3, false, true},
                 {sum2 + 1, false, true},
                 {sum2, false, false},
                 {M(caption) - 25, false, false}};
    int fullCaptionPixels = -1;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.width);
        MakeTitled(c.width, company, app, caption);
        EXPECT_EQ(form->Caption(), "Acme Corp Builder Setup Program");
        Paint(true);
        TRect t = gc->GetTextRect();
        ASSERT_EQ(t.Width(), c.width);
        Extent red = Find(clRed, t), lime = Find(clLime, t), blue = Find(clBlue, t);
        EXPECT_EQ(red.Found(), c.company);
        EXPECT_EQ(lime.Found(), c.app);
        ASSERT_TRUE(blue.Found());
        if (c.company) {
            EXPECT_LT(red.Max, lime.Min);
        }
        if (c.app) {
            EXPECT_LT(lime.Max, blue.Min);
        }
        EXPECT_LT(blue.Max, t.Right);
        if (c.width == sum2) fullCaptionPixels = blue.Count;
        if (c.width < M(caption)) {
            // Cut with an ellipsis that reaches close to the end of the area.
            EXPECT_LT(blue.Count, fullCaptionPixels);
            EXPECT_GE(blue.Max, t.Right - 12);
        }
        delete form;
        form = nullptr;
    }
}

TEST_F(Title, JustificationShiftsTheTitleWhenItFits) {
    const int width = 300;
    const std::string caption = "Setup";
    int total = 3 + 3 + M(caption);  // visible empty parts count their margin
    int left = -1;
    struct Case {
        TJustification j;
        int shift;
    } cases[] = {{TJustification::jLeft, 0},
                 {TJustification::jAuto, 0},
                 {TJustification::jCenter, (width - total) / 2},
                 {TJustification::jRight, width - total}};
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.j));
        MakeTitled(width, "", "", caption);
        gc->SetJustification(c.j);
        Paint(true);
        Extent blue = Find(clBlue, gc->GetTextRect());
        ASSERT_TRUE(blue.Found());
        if (left < 0) left = blue.Min;
        EXPECT_EQ(blue.Min, left + c.shift);
        delete form;
        form = nullptr;
    }
    // A title that does not fit is not shifted.
    MakeTitled(M(caption), "", "", caption);
    Paint(true);
    int unshifted = Find(clBlue, gc->GetTextRect()).Min;
    gc->SetJustification(TJustification::jRight);
    Paint(true);
    EXPECT_EQ(Find(clBlue, gc->GetTextRect()).Min, unshifted);
}

TEST_F(Title, InactiveColoursAndDrawCaptionHandlerNarrowingTheArea) {
    MakeTitled(300, "", "", "Setup");
    gc->CaptionText()->SetColorInactive(clYellow);
    Paint(false);
    EXPECT_FALSE(Find(clBlue, gc->GetBarRect()).Found());
    int left = Find(clYellow, gc->GetBarRect()).Min;
    EXPECT_GE(left, 3 + 3);
    std::string handlerFont;
    gc->OnDrawCaption = [&](TObject* sender, TCanvas& canvas, TRect& r) {
        EXPECT_EQ(sender, gc);
        handlerFont = canvas.Font().Name();
        canvas.Brush() = {clFuchsia, TBrushStyle::bsSolid};
        canvas.FillRect({r.Left, r.Top, r.Left + 40, r.Bottom});
        r.Left += 40;
    };
    Paint(false);
    EXPECT_EQ(handlerFont, gc->SystemFont().Name());
    EXPECT_EQ(Find(clFuchsia, gc->GetBarRect()).Count, 40 * 18);
    EXPECT_EQ(Find(clYellow, gc->GetBarRect()).Min, left + 40);
}

}  // namespace
