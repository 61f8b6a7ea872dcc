// Window semantics the windows rely on: modal loops, activation, the error box, keys.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QCoreApplication>
#include <QFocusEvent>
#include <QWindow>
#include <array>

#include "framework/Accessibility.h"
#include "framework/Application.h"
#include "framework/Buttons.h"
#include "framework/Controls_p.h"
#include "framework/Dialogs.h"
#include "framework/Forms.h"
#include "framework/FrameControls.h"
#include "framework/Menus.h"
#include "framework/StdCtrls.h"
#include "framework/StdCtrls_p.h"
#include "framework/SysUtils.h"
#include "support/GuiSupport.h"

using namespace testing_support;

namespace {

struct Forms : ::testing::Test {
    void SetUp() override {
        a = new TForm(Application);
        a->SetCaption("A");
        a->SetBorderStyle(TFormBorderStyle::bsSingle);
        a->SetClientSize(200, 100);
        b = new TForm(Application);
        b->SetCaption("B");
        b->SetClientSize(150, 80);
    }
    void TearDown() override {
        delete a;
        delete b;
    }
    TForm* a;
    TForm* b;
};

TEST_F(Forms, HidingAModalFormKeepsItsLoopAndCloseEndsIt) {
    std::vector<std::string> trace;
    RunSteps({
        [&] {
            b->Hide();
            trace.push_back(b->Modal() ? "hidden, still modal" : "loop ended");
        },
        [&] {
            EXPECT_TRUE(b->Modal());
            b->Close();
        },
    });
    TModalResult r = b->ShowModal();
    trace.push_back("returned");
    EXPECT_EQ(r, mrCancel);
    EXPECT_FALSE(b->Visible());
    EXPECT_EQ(trace, (std::vector<std::string>{"hidden, still modal", "returned"}));
}

TEST_F(Forms, OtherFormsTakeNoInputWhileAModalFormIsUp) {
    a->Show();
    bool aEnabledDuring = true;
    RunSteps({[&] {
        aEnabledDuring = a->WindowEnabled();
        b->SetModalResult(mrOk);
    }});
    EXPECT_EQ(b->ShowModal(), mrOk);
    EXPECT_FALSE(aEnabledDuring);
    EXPECT_TRUE(a->WindowEnabled());
    EXPECT_EQ(Application->ActiveForm(), a);
    a->Hide();
}

TEST_F(Forms, AModalFormIsADialogOwnedByTheFormItDisables) {
    a->Show();
    TForm* owner = nullptr;
    QWindow* transientParent = nullptr;
    Qt::WindowType type = Qt::Window;
    RunSteps({[&] {
        owner = b->OwnerForm();
        type = WidgetOf(*b)->windowType();
        transientParent = WidgetOf(*b)->windowHandle()->transientParent();
        b->SetModalResult(mrOk);
    }});
    b->ShowModal();
    EXPECT_EQ(owner, a);
    EXPECT_EQ(type, Qt::Dialog);
    EXPECT_EQ(transientParent, WidgetOf(*a)->windowHandle());
    EXPECT_EQ(a->OwnerForm(), nullptr);
    a->Hide();
}

TEST_F(Forms, AnEditSelectsAllWhenTheFocusComesByAnyWayButTheMouse) {
    auto* edit = new TEdit(a);
    edit->SetParent(a);
    edit->SetText("game");
    a->Show();
    for (auto [reason, selected] : {std::pair{Qt::TabFocusReason, true},
                                    {Qt::ShortcutFocusReason, true},
                                    {Qt::ActiveWindowFocusReason, true},
                                    {Qt::OtherFocusReason, true},
                                    {Qt::MouseFocusReason, false}}) {
        LineEditOf(*edit)->deselect();
        QFocusEvent in(QEvent::FocusIn, reason);
        QCoreApplication::sendEvent(LineEditOf(*edit), &in);
        EXPECT_EQ(LineEditOf(*edit)->selectedText() == "game", selected) << reason;
    }
    a->Hide();
}

TEST_F(Forms, ActivationRunsOnShowAndAgainAfterAMessageBoxCloses) {
    int activations = 0;
    b->OnActivate = [&](TObject*) { ++activations; };
    DialogRecorder dialogs;
    RunSteps({
        [&] {
            EXPECT_EQ(activations, 1);
            MessageDlg("Hello", TMsgDlgType::mtWarning, mbOK);
            EXPECT_EQ(activations, 2);
            b->Close();
        },
    });
    b->ShowModal();
    ASSERT_EQ(dialogs.Count(), 1);
    EXPECT_EQ(dialogs.Last().Caption, "Warning");
    EXPECT_EQ(dialogs.Last().Text, "Hello");
    EXPECT_EQ(dialogs.Last().Buttons, (std::vector<std::string>{"OK"}));
    EXPECT_EQ(activations, 2);
}

TEST_F(Forms, AnErrorInAHandlerReachesTheErrorBoxAndTheProgramGoesOn) {
    Application->SetTitle("Tarnwick Installer v1.1");
    auto* button = new TSpeedButton(a);
    button->SetBounds(10, 10, 80, 22);
    button->SetCaption("&Go");
    button->SetParent(a);
    int clicks = 0;
    button->OnClick = [&](TObject*) {
        ++clicks;
        StrToInt("abc");
    };
    a->Show();
    DialogRecorder dialogs;
    Click(button);
    PressKey(a, Qt::Key_G, Qt::AltModifier);  // Alt+G presses it too
    EXPECT_EQ(clicks, 2);
    ASSERT_EQ(dialogs.Count(), 2);
    EXPECT_EQ(dialogs.Last().Caption, "Tarnwick Installer v1.1");
    EXPECT_EQ(dialogs.Last().Text, "'abc' is not a valid integer value.");
    EXPECT_EQ(dialogs.Last().Icon, TDialogIcon::Stop);
    a->Hide();
}

TEST_F(Forms, AControlFreedByItsOwnHandlerIsNotTouchedAgain) {
    // Freed by the mouse-up that would click it, and by the mouse-down of a double click.
    a->Show();
    for (bool doubleClick : {false, true}) {
        auto* button = new TSpeedButton(a);
        button->SetBounds(10, 10, 80, 22);
        button->SetParent(a);
        int clicks = 0;
        button->OnClick = button->OnDblClick = [&](TObject*) { ++clicks; };
        if (doubleClick) {
            button->OnMouseDown = [button](TObject*, TMouseButton, TShiftState shift, int, int) {
                if (shift & ssDouble) delete button;
            };
            DoubleClick(button);
            EXPECT_EQ(clicks, 1) << "the first click only";
        } else {
            button->OnMouseUp = [button](TObject*, TMouseButton, TShiftState, int, int) {
                delete button;
            };
            Click(button);
            EXPECT_EQ(clicks, 0);
        }
    }
    a->Hide();
}

TEST_F(Forms, FullStopOnlyAfterCharactersAboveTheDot) {
    EXPECT_EQ(WithFullStop("I/O error 21"), "I/O error 21.");
    EXPECT_EQ(WithFullStop("Done."), "Done.");
    EXPECT_EQ(WithFullStop("Wait-"), "Wait-");
    EXPECT_EQ(WithFullStop(""), "");
}

TEST_F(Forms, MenuShortcutsActWhileTheFormHasTheKeys) {
    auto* menu = new TPopupMenu(a);
    auto* item = new TMenuItem(menu);
    item->SetShortCut(TextToShortCut("Ctrl+I"));
    int runs = 0;
    item->OnClick = [&](TObject*) { ++runs; };
    menu->Add(item);
    a->SetPopupMenu(menu);
    a->Show();
    PressKey(a, Qt::Key_I, Qt::ControlModifier);
    PressKey(a, Qt::Key_I);
    EXPECT_EQ(runs, 1);
    a->Hide();
}

TEST_F(Forms, FrameAndCaptionAreDrawnAroundTheClientArea) {
    a->Show();
    EXPECT_EQ(a->WindowWidth(), 206);
    EXPECT_EQ(a->WindowHeight(), 125);
    EXPECT_EQ(a->ClientOrigin(), (TPoint{3, 22}));
    QImage w = a->GrabWindow();
    EXPECT_EQ(PixelAt(w, 0, 0), ColorToRGB(cl3DLight));
    EXPECT_EQ(PixelAt(w, 205, 124), ColorToRGB(cl3DDkShadow));
    EXPECT_EQ(PixelAt(w, 100, 10), ColorToRGB(clActiveCaption));
    EXPECT_EQ(PixelAt(w, 100, 60), ColorToRGB(clBtnFace));
    b->Show();  // a loses the activation: its caption turns grey
    EXPECT_EQ(PixelAt(a->WindowSurface(), 100, 10), ColorToRGB(clInactiveCaption));
    b->Hide();
    EXPECT_EQ(Application->ActiveForm(), a);
    a->Hide();
}

// At the screen's device pixel ratio (the suite runs again under QT_SCALE_FACTOR): the same
// layout in logical pixels, drawn at device pixels.
TEST_F(Forms, DensityFrameEdgesAreAPenOfDevicePixelsWide) {
    a->Show();
    const qreal r = WidgetOf(*a)->devicePixelRatioF();
    auto D = [r](int v) { return DevicePixel(v, r); };
    QImage w = a->GrabWindow();
    EXPECT_EQ(w.devicePixelRatio(), r);
    EXPECT_EQ(w.size(), QSize(D(206), D(125)));
    const int y = D(60);
    for (int x = 0; x < D(3); ++x) {
        const TColor want = x < D(1) ? cl3DLight : x < D(2) ? clBtnHighlight : clBtnFace;
        EXPECT_EQ(PixelAt(w, x, y), ColorToRGB(want)) << "x " << x;
    }
    for (int x = D(203); x < D(206); ++x) {
        const TColor want = x >= D(205) ? cl3DDkShadow : x >= D(204) ? clBtnShadow : clBtnFace;
        EXPECT_EQ(PixelAt(w, x, y), ColorToRGB(want)) << "x " << x;
    }
    EXPECT_EQ(a->HitTest(190, 10), HTCLOSE);  // hit-testing stays logical
    a->Hide();
}

TEST_F(Forms, CloseBoxOnlyWithTheSystemMenu) {
    a->SetBorderIcons(0);
    EXPECT_TRUE(a->CaptionButtonRect(HTCLOSE).IsEmpty());
    a->SetBorderIcons(biSystemMenu);
    TRect close = a->CaptionButtonRect(HTCLOSE);
    EXPECT_EQ(close, (TRect{185, 5, 201, 19}));
    EXPECT_EQ(a->HitTest(190, 10), HTCLOSE);
    EXPECT_EQ(a->HitTest(50, 10), HTCAPTION);
}

// What the plain caption and the gradient caption both paint by: the title area left of the
// buttons' space and past the small icon's place, and the glyphs by the window state.
TEST(WindowFrame, TitleAreaAndGlyphsFollowStyleIconsAndState) {
    using S = TFormBorderStyle;
    using W = TWindowState;
    constexpr unsigned kMinMax = biSystemMenu | biMinimize | biMaximize;
    constexpr unsigned kMaxOnly = biSystemMenu | biMaximize;
    constexpr unsigned kMax = DFCS_CAPTIONMAX, kMin = DFCS_CAPTIONMIN, kOff = DFCS_INACTIVE;
    constexpr unsigned kRestore = DFCS_CAPTIONRESTORE;
    struct Case {
        S style;
        TBorderIcons icons;
        W state;
        TRect text;
        unsigned maxGlyph, minGlyph;  // 0: no such buttons
    } cases[] = {
        {S::bsSizeable, kMinMax, W::wsNormal, {22, 4, 148, 22}, kMax, kMin},
        {S::bsSizeable, kMaxOnly, W::wsMaximized, {22, 4, 148, 22}, kRestore, kMin | kOff},
        {S::bsSizeable, kMinMax, W::wsMinimized, {21, 3, 149, 21}, kMax, kRestore},
        {S::bsDialog, biSystemMenu | biHelp, W::wsNormal, {3, 3, 163, 21}, 0, 0},
        {S::bsToolWindow, biSystemMenu | biMinimize, W::wsNormal, {3, 3, 189, 17}, 0, 0},
        {S::bsSingle, 0, W::wsNormal, {3, 3, 203, 21}, 0, 0},
    };
    for (const Case& c : cases) {
        TWindowFrame f{c.style, c.icons, c.state, 200};
        SCOPED_TRACE(static_cast<int>(c.style) * 100 + static_cast<int>(c.state));
        EXPECT_EQ(f.CaptionText(), c.text);
        EXPECT_EQ(f.CaptionButton(HTMAXBUTTON).IsEmpty(), c.maxGlyph == 0);
        if (c.maxGlyph == 0) continue;
        EXPECT_EQ(f.CaptionGlyph(HTMAXBUTTON), c.maxGlyph);
        EXPECT_EQ(f.CaptionGlyph(HTMINBUTTON), c.minGlyph);
    }
}

TEST_F(Forms, ScreenReadersHearCaptionsWithoutMarksOrDotLeaders) {
    struct Case {
        const char *Caption, *Spoken, *Keys;
    } cases[] = {{"&Install", "Install", "Alt+I"},
                 {"Fish && &chips", "Fish & chips", "Alt+C"},
                 {"Space free on this disk     ......", "Space free on this disk", ""},
                 {"Processing...", "Processing...", ""}};
    for (const Case& c : cases) {
        EXPECT_EQ(accessibility::SpokenCaption(c.Caption), c.Spoken) << c.Caption;
        EXPECT_EQ(accessibility::AltShortcut(c.Caption), c.Keys) << c.Caption;
    }
}

TEST_F(Forms, ScreenReadersFindEveryControlByRoleAndName) {
    auto make = [&](auto* c, std::array<int, 4> r) {  // left, top, width, height
        c->SetBounds(r[0], r[1], r[2], r[3]);
        c->SetParent(a);
        return c;
    };
    make(new TLabel(a), {10, 4, 60, 17})->SetCaption("Dir name:");
    TEdit* edit = make(new TEdit(a), {10, 25, 100, 21});
    TEdit* far = make(new TEdit(a), {10, 70, 100, 21});  // no label near it
    auto* picture = make(new TSpeedButton(a), {120, 10, 70, 40});
    picture->SetHint("Install Game");
    TLabel* hotSpot = make(new TLabel(a), {122, 12, 60, 30});
    hotSpot->SetAutoSize(false);
    int presses = 0;
    hotSpot->OnClick = [&](TObject*) { ++presses; };
    hotSpot->SetAccessibleShortcut("Ctrl+I");
    TMemo* memo = make(new TMemo(a), {120, 55, 75, 40});
    memo->SetText("first line\r\nsecond line");
    a->Show();

    TAccessibleInfo info = accessibility::Describe(edit);
    EXPECT_EQ(info.Role, TAccessibleRole::EditableText);
    EXPECT_EQ(info.Name, "Dir name:");
    EXPECT_EQ(accessibility::Describe(far).Name, "");
    EXPECT_EQ(accessibility::Describe(a).Name, "A");

    // Through the toolkit, as its bridge to the accessibility bus reads them.
    QAccessibleInterface* spot = QAccessible::queryAccessibleInterface(WidgetOf(*hotSpot));
    ASSERT_NE(spot, nullptr);
    EXPECT_EQ(spot->role(), QAccessible::PushButton);
    EXPECT_EQ(spot->text(QAccessible::Name), "Install Game");
    QAccessibleActionInterface* act = spot->actionInterface();
    ASSERT_NE(act, nullptr);
    EXPECT_EQ(act->keyBindingsForAction(QAccessibleActionInterface::pressAction()),
              QStringList{"Ctrl+I"});
    act->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(presses, 0);  // once the toolkit's call has returned
    EXPECT_TRUE(WaitUntil([&] { return presses == 1; }));
    EXPECT_EQ(QAccessible::queryAccessibleInterface(LineEditOf(*edit))->text(QAccessible::Name),
              "Dir name:");
    // The viewer's text, line by line.
    QAccessibleTextInterface* text =
        QAccessible::queryAccessibleInterface(EditorOf(*memo))->textInterface();
    ASSERT_NE(text, nullptr);
    int start = 0, end = 0;
    EXPECT_EQ(text->textAtOffset(12, QAccessible::LineBoundary, &start, &end).trimmed(),
              "second line");
    a->Hide();
}

}  // namespace
