// The directory window and the make-directory dialog, on folders mapped as drives.
#include <gtest/gtest.h>

#include <filesystem>

#include "forms/InstallerWindows.h"
#include "framework/Controls_p.h"
#include "framework/StdCtrls_p.h"

namespace fs = std::filesystem;
using namespace testing_support;

namespace {

constexpr double MB = 1048576.0;

struct DirectoryWindow : ::testing::Test {
    TempDir c, e;
    std::unique_ptr<DriveMapScope> drives;
    std::unique_ptr<InstallerWindows> windows;
    std::unique_ptr<seams::DiskSpaceScope> space;
    uint64_t freeBytes = 100 * 1048576ull;
    int queries = 0;

    void SetUp() override {
        MakeDirs(c / "Games/Race");
        drives = std::make_unique<DriveMapScope>(std::vector<platform::Drive>{
            MakeDrive('c', c.Path()), MakeDrive('e', e.Path(), platform::DRIVE_FIXED, "DATA")});
        ASSERT_EQ(platform::SetCurrentDirectory("C:\\Games"), 0u);
        space = std::make_unique<seams::DiskSpaceScope>(
            [this](const std::string&, platform::DiskSpace& s) {
                ++queries;
                s.FreeBytesAvailableToCaller = freeBytes;
                s.TotalBytes = s.TotalFreeBytes = freeBytes;
                return 0u;
            });
        windows = std::make_unique<InstallerWindows>();
    }
    void TearDown() override {
        windows.reset();
        space.reset();
    }
    // Opens the directory window modally, runs the steps inside it, then cancels it.
    void inDirectoryWindow(std::vector<std::function<void()>> steps) {
        bool done = false;
        steps.insert(steps.begin(), [&] {
            Form2->ShowModal();
            done = true;
        });
        steps.push_back([] {
            if (Form2->Modal()) Form2->SpeedButton3Click(Form2);
        });
        RunSteps(steps);
        ASSERT_TRUE(WaitUntil([&] { return done; }));
    }
    void setSize(const std::string& size) { InstallOptions.SIZE = size; }
};

TEST(SizeTexts, WholeNumbersWithHalvesUp) {
    EXPECT_EQ(SizeText(1048576), "1024 Kb");
    EXPECT_EQ(SizeText(1.5 * MB), "2 Mb");
    EXPECT_EQ(SizeText(2.5 * MB), "3 Mb");
    EXPECT_EQ(SizeText(512), "1 Kb");
    EXPECT_EQ(SizeText(10.0 * 1024 * MB), "10240 Mb");
    EXPECT_EQ(SizeText(0), "0 Kb");
}

TEST_F(DirectoryWindow, SpaceCheckAtTheEdges) {
    struct Case {
        double bytes;
        const char* size;
        const char* label;
        bool enough;
    };
    const Case cases[] = {
        {1048576, "0", "1024 Kb", true},  // one free megabyte
        {1048576, "1", "1024 Kb", false},
        {1.5 * MB, "2", "2 Mb", false},
        {1.5 * MB, "1", "2 Mb", true},
        {524287, "0", "512 Kb", false},  // under half a megabyte counts as none
        {10.0 * 1024 * MB, "10239", "10240 Mb", true},
    };
    inDirectoryWindow({[&] {
        for (const Case& k : cases) {
            SCOPED_TRACE(k.label);
            freeBytes = static_cast<uint64_t>(k.bytes);
            setSize(k.size);
            Form2->DriveComboBox1Change(Form2->DriveComboBox1);
            EXPECT_EQ(Form2->Label3->Caption(), k.label);
            EXPECT_EQ(Form2->Label3->Font().Color(), k.enough ? clBlack : clRed);
            EXPECT_EQ(Form2->Caption(),
                      k.enough ? "Select a Directory" : "Insufficient space on this disk!");
        }
    }});
}

TEST_F(DirectoryWindow, CheckRunsOnFirstShowingAndOnPicksOnly) {
    inDirectoryWindow({
        [&] {
            EXPECT_EQ(queries, 1);  // the selector's window was created
            EXPECT_EQ(Form2->Label4->Caption(), "3 Mb");
            EXPECT_EQ(Form2->Label3->Caption(), "100 Mb");
            Form2->DirectoryListBox1->SetCurrentDir("C:\\Games\\Race");
            EXPECT_EQ(queries, 1);
            int e = -1;
            for (int i = 0; i < Form2->DriveComboBox1->ItemCount(); ++i)
                if (Form2->DriveComboBox1->ItemText(i)[0] == 'e') e = i;
            Form2->DriveComboBox1->PickItem(e);
            EXPECT_EQ(queries, 3);  // twice: the drive changed
            Form2->DriveComboBox1->PickItem(e);
            EXPECT_EQ(queries, 4);
        },
    });
    // A second opening keeps the figures and runs no check.
    inDirectoryWindow({[&] { EXPECT_EQ(queries, 4); }});
}

TEST_F(DirectoryWindow, NonNumericSizeGoesToTheErrorBoxAndChangesNothing) {
    setSize("abc");
    DialogRecorder dialogs;
    inDirectoryWindow({[&] {
        EXPECT_EQ(Form2->Label3->Caption(), "Size A");
        EXPECT_EQ(Form2->Caption(), "Select a Directory");
    }});
    ASSERT_GE(dialogs.Count(), 1);
    EXPECT_EQ(dialogs.Dialogs()[0].Text, "'abc' is not a valid integer value.");
}

TEST_F(DirectoryWindow, AbortedCaptionStaysUntilADrivePick) {
    inDirectoryWindow({
        [&] {
            Form2->SetCaption("Install Aborted!");
            Form2->Hide();
            Form2->Show();  // activation refreshes only the required size
            EXPECT_EQ(Form2->Caption(), "Install Aborted!");
            Form2->DriveComboBox1->PickItem(0);
            EXPECT_EQ(Form2->Caption(), "Select a Directory");
        },
    });
}

struct MakeDirectory : DirectoryWindow {
    std::vector<std::string> outcome;
    // Make Dir, type a name, Ok; the steps run inside the directory window.
    void makeDir(const std::string& name, std::function<void()> then) {
        inDirectoryWindow({
            [&] {
                Form2->SpeedButton2Click(Form2);
                EXPECT_TRUE(Form3->Visible());
                EXPECT_FALSE(Form2->Visible());
                EXPECT_TRUE(Form2->Modal());
                EXPECT_EQ(Form3->Edit1->Text(), "Tarnwick");
                Form3->Edit1->SetText(name);
                Dispatch([] { Form3->SpeedButton1Click(Form3); });
                then();
                if (Form3->Visible()) Form3->SpeedButton2Click(Form3);
            },
        });
    }
};

TEST_F(MakeDirectory, NewFolderBecomesTheTarget) {
    makeDir("Tarnwick", [&] {
        EXPECT_TRUE(fs::is_directory(c / "Games/Tarnwick"));
        EXPECT_FALSE(Form3->Visible());
        EXPECT_TRUE(Form2->Visible());
        EXPECT_EQ(Form2->DirectoryListBox1->CurrentDir(), "C:\\Games\\Tarnwick");
        auto* list = Form2->DirectoryListBox1;
        EXPECT_EQ(list->ItemKind(list->ItemCount() - 1), TDirectoryListBox::TEntryKind::Current);
        EXPECT_EQ(fs::current_path(), c / "Games/Tarnwick");
    });
}

TEST_F(MakeDirectory, InADriveRootTheDoubledBackslashIsTheSameFolder) {
    windows.reset();
    ASSERT_EQ(platform::SetCurrentDirectory("C:\\"), 0u);
    windows = std::make_unique<InstallerWindows>();
    makeDir("New", [&] {
        EXPECT_TRUE(fs::is_directory(c / "New"));
        EXPECT_EQ(Form2->DirectoryListBox1->CurrentDir(), "C:\\New");
    });
}

TEST_F(MakeDirectory, ExistingNameWarnsAndTheProposalComesBack) {
    MakeDirs(c / "Games/Taken");
    DialogRecorder dialogs;
    makeDir("Taken", [&] {
        EXPECT_TRUE(Form3->Visible());
        EXPECT_EQ(Form3->Edit1->Text(), "Tarnwick");  // activation after the box closed
    });
    ASSERT_EQ(dialogs.Count(), 1);
    EXPECT_EQ(dialogs.Last().Caption, "Warning");
    EXPECT_EQ(dialogs.Last().Text,
              "The Taken Directory already exists, please choose another name!");
    EXPECT_EQ(Form2->DirectoryListBox1->CurrentDir(), "C:\\Games");
}

TEST_F(MakeDirectory, PlatformRefusalsGoToTheErrorBox) {
    WriteFile(c / "Games/afile", "x");
    for (auto [name, text] :
         std::vector<std::pair<std::string, std::string>>{{"missing\\new", "Invalid filename."},
                                                          {"afile", "I/O error 183."},
                                                          {"", "Invalid filename."}}) {
        DialogRecorder dialogs;
        makeDir(name, [&] {
            EXPECT_TRUE(Form3->Visible());
            EXPECT_EQ(Form2->DirectoryListBox1->CurrentDir(), "C:\\Games");
        });
        ASSERT_EQ(dialogs.Count(), 1) << name;
        EXPECT_EQ(dialogs.Last().Text, text);
    }
}

TEST_F(MakeDirectory, NameWithABackslashMakesTheLastLevel) {
    makeDir("Race\\Tracks", [&] {
        EXPECT_TRUE(fs::is_directory(c / "Games/Race/Tracks"));
        EXPECT_EQ(Form2->DirectoryListBox1->CurrentDir(), "C:\\Games\\Race\\Tracks");
    });
}

TEST_F(MakeDirectory, KeyboardAsAUserTypesIt) {
    inDirectoryWindow({[&] {
        Form2->DriveComboBox1->SetFocus();
        PressKey(Form2, Qt::Key_E);  // a plain letter picks a drive
        EXPECT_EQ(Form2->DriveComboBox1->DriveLetter(), 'e');
        PressKey(Form2, Qt::Key_M, Qt::AltModifier);
        ASSERT_TRUE(Form3->Visible());
        Form3->Edit1->SetFocus();
        PressKey(Form3, Qt::Key_O, Qt::AltModifier);  // Ok, and no "o" typed
        EXPECT_TRUE(fs::is_directory(e / "Tarnwick"));
        EXPECT_EQ(Form2->DirectoryListBox1->CurrentDir(), "E:\\Tarnwick");
        Form2->DirectoryListBox1->SetFocus();
        Form2->DirectoryListBox1->SetItemIndex(0);
        PressKey(Form2, Qt::Key_Return);  // opens the root
        EXPECT_EQ(Form2->DirectoryListBox1->CurrentDir(), "E:\\");
        PressKey(Form2, Qt::Key_C, Qt::AltModifier);  // Cancel, not drive c:
        EXPECT_EQ(Form2->ModalResult(), mrCancel);
        EXPECT_EQ(Form2->DriveComboBox1->DriveLetter(), 'e');
    }});
}

TEST_F(MakeDirectory, ClicksLeaveTheFocusInTheNameField) {
    MakeDirs(c / "Games/Taken");
    DialogRecorder dialogs;
    makeDir("Taken", [&] {
        Form3->Edit1->SetFocus();
        Form3->Edit1->SetText("Taken");
        Click(Form3->SpeedButton1);  // warns again: the folder exists
        Click(Form3, 140, 80);       // the window's background
        EXPECT_EQ(dialogs.Count(), 2);
        EXPECT_EQ(WidgetOf(*Form3)->focusWidget(), WidgetOf(*Form3->Edit1));
    });
}

TEST_F(DirectoryWindow, LabelsFitTheirTextAndTheNameFieldHasTheWindowFont) {
    for (TLabel* l : {Form2->Label1, Form2->Label3, Form3->Label1, Form5->Label1, Form5->Label2}) {
        TCanvas probe;
        probe.SetFont(l->Font());
        EXPECT_EQ(l->Width(), probe.TextWidth(l->Caption())) << l->Caption();
    }
    QFont window = Form3->Font().ToQFont(), field = LineEditOf(*Form3->Edit1)->font();
    EXPECT_EQ(field.family(), window.family());
    EXPECT_EQ(field.pixelSize(), window.pixelSize());
}

}  // namespace
