// The main window as a user meets it: hover highlights, clicks, menu shortcuts.
#include <gtest/gtest.h>

#include "forms/InstallerWindows.h"

using namespace testing_support;

namespace {

struct MainWindow : ::testing::Test {
    InstallerWindows windows;
    void SetUp() override { Form1->Show(); }
    void TearDown() override {
        if (Form1->Visible()) Form1->Hide();
    }
    // Which highlight pictures are shown: install, information, exit.
    std::string highlights() const {
        return std::string(Form1->Image2->Visible() ? "I" : "-") +
               (Form1->Image3->Visible() ? "N" : "-") + (Form1->Image4->Visible() ? "X" : "-");
    }
};

TEST_F(MainWindow, StartsWithTheNameLineAndNoHighlight) {
    EXPECT_EQ(Form1->Caption(), "Tarnwick Installer...");
    EXPECT_EQ(Form1->Label4->Caption(), "Tarnwick - The Forgotten Tower");
    EXPECT_EQ(highlights(), "---");
    EXPECT_EQ(Form1->BorderIcons(), 0u);
    EXPECT_EQ(Form1->ClientWidth(), 489);
    EXPECT_EQ(Form1->ClientHeight(), 387);
}

TEST_F(MainWindow, HoverLightsOneButtonAtATime) {
    MoveMouse(Form1->Image1, 20, 300);
    EXPECT_EQ(highlights(), "---");
    MoveMouse(Form1->Image1, 300, 100);  // over the install hot-spot
    EXPECT_EQ(highlights(), "I--");
    MoveMouse(Form1->Image1, 420, 60);  // straight onto the information hot-spot
    EXPECT_EQ(highlights(), "-N-");
    MoveMouse(Form1->Image1, 420, 160);  // and onto exit
    EXPECT_EQ(highlights(), "--X");
    MoveMouse(Form1->Image1, 20, 300);  // the background clears it
    EXPECT_EQ(highlights(), "---");
    // Over the name line nothing changes.
    MoveMouse(Form1->Image1, 300, 100);
    MoveMouse(Form1->Image1, 100, 15);
    EXPECT_EQ(highlights(), "I--");
}

TEST_F(MainWindow, BorderStripOfAShownHighlightActsLikeItsHotSpot) {
    // x 286 lies in the install picture's left strip, outside the hot-spot label.
    int opened = 0;
    Form2->OnShow = [&](TObject*) {
        ++opened;
        RunSteps({[] { Form2->Close(); }});
    };
    Click(Form1->Image1, 286, 110);  // hidden: the click falls on the background
    EXPECT_EQ(opened, 0);
    MoveMouse(Form1->Image1, 300, 100);
    Click(Form1->Image1, 286, 110);
    EXPECT_EQ(opened, 1);
    EXPECT_FALSE(Form2->Visible());
}

TEST_F(MainWindow, HintsOnlyOverTheBorderStrips) {
    EXPECT_TRUE(Form1->Image2->ShowHint());
    EXPECT_EQ(Form1->Image2->Hint(), "Install Game");
    EXPECT_EQ(Form1->Image3->Hint(), "Read Game Info");
    EXPECT_EQ(Form1->Image4->Hint(), "Exit Installer");
    EXPECT_FALSE(Form1->Label1->ShowHint());
    EXPECT_FALSE(Form1->Label2->ShowHint());
    EXPECT_FALSE(Form1->Label3->ShowHint());
}

TEST_F(MainWindow, CtrlIOpensTheDirectoryWindowModally) {
    bool modal = false, mainTakesInput = true;
    RunSteps({
        [&] { PressKey(Form1, Qt::Key_I, Qt::ControlModifier); },
        [&] {
            modal = Form2->Modal() && Form2->Visible();
            mainTakesInput = Form1->WindowEnabled();
            Form2->Close();
        },
    });
    WaitUntil([&] { return modal; }, 2000);
    EXPECT_TRUE(modal);
    EXPECT_FALSE(mainTakesInput);
    EXPECT_TRUE(Form1->WindowEnabled());
}

TEST_F(MainWindow, InformationHotSpotOpensTheViewerModally) {
    bool modal = false;
    Form4->OnShow = [&](TObject*) {
        modal = Form4->Modal();
        RunSteps({[] { Form4->Close(); }});
    };
    Click(Form1->Label2);
    EXPECT_TRUE(modal);
}

TEST_F(MainWindow, CtrlQEndsTheMessageLoop) {
    Form1->Hide();
    RunSteps({[] { PressKey(Form1, Qt::Key_Q, Qt::ControlModifier); }});
    Application->Run();
    EXPECT_TRUE(Application->Terminated());
    EXPECT_FALSE(Form1->Visible());
}

TEST(MainWindowWithoutSettings, StartsWithAnEmptyNameLine) {
    InstallerWindows windows(std::map<std::string, std::string>{{"install.ini", ""}});
    Form1->Show();
    EXPECT_EQ(Form1->Label4->Caption(), "");
    EXPECT_TRUE(Form1->Visible());
    Form1->Hide();
}

}  // namespace
