// The caption component's hold on its form: the window caption it composes and reads back,
// the message procedure it hooks and keeps across a new window, what it leaves behind, and
// its fonts.
#include <gtest/gtest.h>

#include <optional>

#include "components/GradientCaption.h"
#include "framework/Application.h"
#include "framework/Controls_p.h"
#include "framework/Seams.h"
#include "framework/SysMetrics.h"
#include "framework/SysUtils.h"
#include "support/GuiSupport.h"

using namespace testing_support;

namespace {

struct CaptionHook : ::testing::Test {
    TForm* form = nullptr;
    TGradientCaption* gc = nullptr;
    seams::ScreenDepthScope depth{32};
    std::optional<seams::NonClientMetricsScope> metrics;

    void SetUp() override {
        form = new TForm(Application);
        form->SetBorderStyle(TFormBorderStyle::bsSingle);
        form->SetBorderIcons(biSystemMenu);
        form->SetClientSize(240, 60);
        form->SetCaption("Setup");
        gc = new TGradientCaption(form);
    }
    void TearDown() override { delete form; }
    // Our bar is a solid red one; the framework's own is in the caption colours.
    void MakeRed() {
        gc->SetEnabled(TGradEnabled::geAlways);
        gc->SetColorLeftActive(clRed);
        gc->SetColorRightActive(clRed);
        gc->SetColorLeftInActive(clRed);
        gc->SetColorRightInActive(clRed);
    }
    TColor BarPixel() const {
        // Right of the icon, left of the title: bar background in either painting.
        TRect bar = form->CaptionBarRect();
        return PixelAt(form->WindowSurface(), bar.Right - 30, bar.Top + 1);
    }
};

TEST_F(CaptionHook, ComposesTheWindowCaptionFromTheVisibleParts) {
    struct Case {
        const char* company;
        bool companyVisible;
        const char* app;
        bool appVisible;
        bool captionVisible;
        const char* window;   // the composed window caption
        const char* derived;  // CaptionText.Caption read back from it
    } cases[] = {
        {"Acme", true, "", true, true, "Acme Setup", "Setup"},
        {"Acme", false, "", true, true, "Setup", "Setup"},
        {"Acme", true, "Tool", true, true, "Acme Tool Setup", "Setup"},
        {"Acme", true, "Tool", false, true, "Acme Setup", "Setup"},
        {"", true, "Tool", true, true, "Tool Setup", "Setup"},
        {"Acme", true, "", true, false, "Acme ", ""},
        {"Acme", true, "Tool", true, false, "Acme Tool", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.window);
        gc->CompanyText()->SetCaption("");
        gc->AppNameText()->SetCaption("");
        gc->CaptionText()->SetVisible(true);
        gc->CaptionText()->SetCaption("Setup");
        gc->CompanyText()->SetVisible(c.companyVisible);
        gc->AppNameText()->SetVisible(c.appVisible);
        gc->CompanyText()->SetCaption(c.company);
        gc->AppNameText()->SetCaption(c.app);
        gc->CaptionText()->SetVisible(c.captionVisible);
        EXPECT_EQ(form->Caption(), c.window);
        EXPECT_EQ(gc->CaptionText()->Caption(), c.derived);
        EXPECT_EQ(gc->CompanyText()->Caption(), c.company);
        gc->CompanyText()->SetVisible(true);
        gc->AppNameText()->SetVisible(true);
    }
}

TEST_F(CaptionHook, DerivesTheCaptionPartFromTheWindowCaption) {
    struct Case {
        const char* company;
        bool companyVisible;
        bool appVisible;
        const char* window;
        const char* derived;
    } cases[] = {
        // A company text that does not occur: only one leading space goes per part.
        {"Zed", true, false, "  Hello", " Hello"},
        {"Zed", true, true, "  Hello", "Hello"},
        // Cut through the end of the first occurrence.
        {"Acme", true, false, "My Acme App Acme", "App Acme"},
        {"Acme", false, false, "Acme Setup", "Acme Setup"},
        {"", true, false, " x", "x"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.window);
        gc->CompanyText()->SetVisible(c.companyVisible);
        gc->AppNameText()->SetVisible(c.appVisible);
        gc->CompanyText()->SetCaption(c.company);
        form->SetCaption(c.window);
        EXPECT_EQ(gc->CaptionText()->Caption(), c.derived);
    }
}

TEST_F(CaptionHook, TakesOverNonClientPaintingAndActivation) {
    MakeRed();
    form->RedrawFrame();
    EXPECT_EQ(BarPixel(), clRed);
    // The frame outside the bar is still the framework's.
    EXPECT_EQ(PixelAt(form->WindowSurface(), 0, 0), ColorToRGB(cl3DLight));
    // Activation is not left to the default procedure, which would paint its own bar.
    EXPECT_FALSE(gc->IsCaptionActive());
    EXPECT_EQ(form->Perform(WM_NCACTIVATE, 1), 1);
    EXPECT_TRUE(gc->IsCaptionActive());
    EXPECT_EQ(BarPixel(), clRed);
    form->Perform(WM_NCACTIVATE, 0);
    EXPECT_FALSE(gc->IsCaptionActive());
    EXPECT_EQ(BarPixel(), clRed);
    // Settings changes go to the default procedure first, then the bar is ours again.
    form->Perform(WM_SETTINGCHANGE);
    EXPECT_EQ(BarPixel(), clRed);
}

TEST_F(CaptionHook, SizingBordersSetTheCursorThemselves) {
    EXPECT_EQ(form->Perform(WM_SETCURSOR, form->Handle(), HTLEFT), 1);
    EXPECT_EQ(WidgetOf(*form)->cursor().shape(), Qt::SizeHorCursor);
    EXPECT_EQ(form->Perform(WM_SETCURSOR, form->Handle(), HTBOTTOMLEFT), 1);
    EXPECT_EQ(WidgetOf(*form)->cursor().shape(), Qt::SizeBDiagCursor);
    // Anything else is the default procedure's, which resets the cursor.
    EXPECT_EQ(form->Perform(WM_SETCURSOR, form->Handle(), HTCAPTION), 0);
    EXPECT_EQ(WidgetOf(*form)->cursor().shape(), Qt::ArrowCursor);
}

TEST_F(CaptionHook, ARecreatedWindowKeepsThePaintedCaption) {
    MakeRed();
    form->Show();
    ASSERT_EQ(BarPixel(), clRed);
    uintptr_t before = form->Handle();
    form->SetBorderStyle(TFormBorderStyle::bsSizeable);  // needs a new window
    EXPECT_NE(form->Handle(), before);
    // Until the posted re-hook arrives the new window has the plain caption.
    EXPECT_FALSE(gc->Hooked());
    EXPECT_NE(BarPixel(), clRed);
    ASSERT_TRUE(WaitUntil([&] { return gc->Hooked(); }));
    EXPECT_EQ(BarPixel(), clRed);
    EXPECT_EQ(gc->GetBarRect().Left, 4);
    EXPECT_TRUE(gc->IsCaptionActive());
    // And once more: the hook follows every new window.
    form->SetBorderStyle(TFormBorderStyle::bsSingle);
    ASSERT_TRUE(WaitUntil([&] { return gc->Hooked(); }));
    form->RedrawFrame();
    EXPECT_EQ(BarPixel(), clRed);
    form->Hide();
}

TEST_F(CaptionHook, DestroyingTheComponentLeavesThePlainCaption) {
    MakeRed();
    form->RedrawFrame();  // a paint takes the caption part from the window caption
    gc->CompanyText()->SetCaption("Acme");
    ASSERT_EQ(form->Caption(), "Acme Setup");
    form->RedrawFrame();
    ASSERT_EQ(BarPixel(), clRed);
    delete gc;
    EXPECT_EQ(form->Caption(), "Setup");
    EXPECT_EQ(BarPixel(), ColorToRGB(clInactiveCaption));
    form->Perform(WM_NCACTIVATE, 1);
    EXPECT_EQ(BarPixel(), ColorToRGB(clActiveCaption));
}

TEST_F(CaptionHook, DestroyedWhileARehookIsPendingLeavesNoHookBehind) {
    MakeRed();
    form->SetBorderStyle(TFormBorderStyle::bsSizeable);
    delete gc;
    Application->ProcessMessages();  // the re-hook message arrives after the component went
    form->RedrawFrame();
    EXPECT_EQ(BarPixel(), ColorToRGB(clInactiveCaption));
    EXPECT_EQ(form->Caption(), "Setup");
}

TEST_F(CaptionHook, LoadedHooksTheWindowThatLoadingMade) {
    delete form;
    TGradientCaption* loaded = nullptr;
    form = new TForm(Application);
    TComponent::ReadState([&] {
        form->SetBorderStyle(TFormBorderStyle::bsSingle);
        form->SetClientSize(200, 50);
        loaded = new TGradientCaption(form);
        form->SetBorderStyle(TFormBorderStyle::bsDialog);  // a new window while loading
    });
    gc = loaded;
    EXPECT_TRUE(gc->Hooked());
    MakeRed();
    form->RedrawFrame();
    EXPECT_EQ(BarPixel(), clRed);
    // The re-hook posted by the old window's destruction finds the hook in place.
    Application->ProcessMessages();
    EXPECT_TRUE(gc->Hooked());
    form->RedrawFrame();
    EXPECT_EQ(BarPixel(), clRed);
}

TEST_F(CaptionHook, OwnerMustBeAForm) {
    TComponent owner(nullptr);
    EXPECT_THROW(TGradientCaption{&owner}, EInvalidCast);
    EXPECT_EQ(owner.ComponentCount(), 0);
}

TEST_F(CaptionHook, NumColorsIsClampedAboveAndIgnoredBelow) {
    struct Case {
        int write, stored;
    } cases[] = {{64, 64}, {1, 1}, {0, 1}, {-5, 1}, {256, 256}, {300, 256}, {7, 7}};
    for (const Case& c : cases) {
        gc->SetNumColors(c.write);
        EXPECT_EQ(gc->NumColors(), c.stored) << c.write;
    }
}

// ---- Fonts --------------------------------------------------------------------------------------

TEST_F(CaptionHook, PartsStartWithTheCaptionFontAndFollowTheirKind) {
    const TFont& sys = gc->SystemFont();
    EXPECT_EQ(sys.Name(), "MS Sans Serif");
    EXPECT_EQ(sys.Height(), -11);
    EXPECT_EQ(sys.Style(), static_cast<TFontStyles>(fsBold));
    TCompanyText* part = gc->AppNameText();
    EXPECT_EQ(part->FontKind(), TFontKind::fkSystem);
    EXPECT_EQ(part->Font(), sys);
    EXPECT_EQ(part->ColorActive(), clCaptionText);
    EXPECT_EQ(part->ColorInactive(), clInactiveCaptionText);
    struct Case {
        TFontKind kind;
        TFontStyles style;
    } cases[] = {{TFontKind::fkSystemI, fsBold | fsItalic},
                 {TFontKind::fkSystemB, fsBold},
                 {TFontKind::fkSystemBI, fsBold | fsItalic},
                 {TFontKind::fkSystem, fsBold}};
    for (const Case& c : cases) {
        part->SetFontKind(c.kind);
        EXPECT_EQ(part->FontKind(), c.kind);
        EXPECT_EQ(part->Font().Style(), c.style);
        EXPECT_EQ(part->Font().Name(), "MS Sans Serif");
    }
    TFont arial;
    arial.SetName("Arial");
    arial.SetHeight(-20);
    part->SetFont(arial);
    EXPECT_EQ(part->FontKind(), TFontKind::fkCustom);
    EXPECT_EQ(part->Font().Name(), "Arial");
    part->SetFontKind(TFontKind::fkCustom);
    EXPECT_EQ(part->Font().Height(), -20);
}

TEST_F(CaptionHook, AutoHeightFitsTheCharacterHeightOfTheCaptionFont) {
    auto charHeight = [](const TFont& f) {
        QImage scratch(10, 10, QImage::Format_RGB32);
        TCanvas c(&scratch);
        c.SetFont(f);
        TTextMetric tm = c.TextMetrics();
        return tm.Height - tm.InternalLeading;
    };
    int target = charHeight(gc->SystemFont());
    TCompanyText* part = gc->CompanyText();
    TFont big;
    big.SetName("Arial");
    big.SetHeight(-20);
    part->SetFont(big);
    part->SetFontKind(TFontKind::fkAutoHeight);
    EXPECT_EQ(part->Font().Height(), -target);
    // A font given while fitting is fitted too; a cell height shrinks the other way.
    TFont cell;
    cell.SetName("Times New Roman");
    cell.SetHeight(30);
    part->SetFont(cell);
    EXPECT_EQ(part->FontKind(), TFontKind::fkAutoHeight);
    EXPECT_GT(part->Font().Height(), 0);
    // One corrective step: cell heights do not map one to one onto character heights.
    EXPECT_NEAR(charHeight(part->Font()), target, 1);
    EXPECT_LT(part->Font().Height(), 30);
}

TEST_F(CaptionHook, SettingsChangeReloadsTheCaptionFont) {
    TFont custom;
    custom.SetName("Arial");
    custom.SetHeight(-14);
    gc->CaptionText()->SetFont(custom);
    gc->AppNameText()->SetFontKind(TFontKind::fkSystemI);
    metrics.emplace(false);
    form->Perform(WM_SETTINGCHANGE);
    TFont stock = StockSystemFont();
    EXPECT_EQ(gc->SystemFont().Name(), stock.Name());
    EXPECT_EQ(gc->SystemFont().Height(), stock.Height());
    EXPECT_EQ(gc->CompanyText()->Font().Name(), stock.Name());
    EXPECT_EQ(gc->AppNameText()->Font().Name(), stock.Name());
    EXPECT_TRUE(gc->AppNameText()->Font().Style() & fsItalic);
    EXPECT_EQ(gc->CaptionText()->Font().Name(), "Arial");
    metrics.reset();
    form->Perform(WM_SYSCOLORCHANGE);
    EXPECT_EQ(gc->CompanyText()->Font().Name(), "MS Sans Serif");
    EXPECT_EQ(gc->CompanyText()->Font().Height(), -11);
}

}  // namespace
