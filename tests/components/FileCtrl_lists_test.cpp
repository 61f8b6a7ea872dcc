// The drive selector and the directory list on real folders mapped as drives: entries,
// navigation, drive changes and their failures, and the process's current directory.
#include <gtest/gtest.h>

#include <clocale>

#include <QApplication>
#include <QKeyEvent>
#include <QListWidget>
#include <QMouseEvent>
#include <filesystem>

#include "components/FileCtrl.h"
#include "framework/Controls_p.h"
#include "framework/Forms.h"
#include "framework/SysUtils.h"
#include "support/GuiSupport.h"
#include "support/TestSupport.h"

namespace fs = std::filesystem;
using namespace testing_support;
using Kind = TDirectoryListBox::TEntryKind;

namespace {

using Texts = std::vector<std::string>;

struct Lists : ::testing::Test {
    TempDir c, e, n;
    std::unique_ptr<DriveMapScope> drives;
    std::unique_ptr<TForm> form;
    TDriveComboBox* combo = nullptr;
    TDirectoryListBox* list = nullptr;
    int comboChanges = 0, listChanges = 0;

    void SetUp() override {
        MakeDirs(c / "Games/Race/Save");
        MakeDirs(c / "Games/Race/maps");
        MakeDirs(e / "Setup");
        auto d = MakeDrive('d', c / "nomedia", platform::DRIVE_CDROM, "");
        d.Ready = false;
        auto net = MakeDrive('n', n.Path(), platform::DRIVE_REMOTE, "SHARE");
        net.RemoteName = "\\\\Server\\Games";
        drives = std::make_unique<DriveMapScope>(std::vector<platform::Drive>{
            MakeDrive('c', c.Path(), platform::DRIVE_FIXED, "SYSTEM"), d,
            MakeDrive('e', e.Path(), platform::DRIVE_REMOVABLE), net});
        ASSERT_EQ(platform::SetCurrentDirectory("C:\\Games\\Race"), 0u);
    }
    void TearDown() override {
        form.reset();
        drives.reset();
    }

    void makeForm(bool link = true) {
        form = std::make_unique<TForm>(nullptr);
        form->SetClientSize(321, 200);
        combo = new TDriveComboBox(form.get());
        combo->SetBounds(7, 17, 307, 19);
        combo->SetParent(form.get());
        list = new TDirectoryListBox(form.get());
        list->SetBounds(8, 45, 305, 136);
        list->SetParent(form.get());
        if (link) combo->SetDirList(list);
        combo->OnChange = [this](TObject* sender) {
            EXPECT_EQ(sender, combo);
            ++comboChanges;
        };
        list->OnChange = [this](TObject* sender) {
            EXPECT_EQ(sender, list);
            ++listChanges;
        };
    }
    void show() {
        makeForm();
        form->Show();
    }
    Texts texts() const {
        Texts out;
        for (int i = 0; i < list->ItemCount(); ++i) out.push_back(list->ItemText(i));
        return out;
    }
    Texts driveTexts() const {
        Texts out;
        for (int i = 0; i < combo->ItemCount(); ++i) out.push_back(combo->ItemText(i));
        return out;
    }
    int itemOf(char letter) const {
        for (int i = 0; i < combo->ItemCount(); ++i)
            if (std::tolower(combo->ItemText(i)[0]) == letter) return i;
        return -1;
    }
    void pick(char letter) { combo->PickItem(itemOf(letter)); }
    // The process stands where the list says it does.
    void expectProcessInCurrentDir() const {
        EXPECT_EQ(fs::current_path().string(), platform::ToNative(list->CurrentDir()))
            << list->CurrentDir();
    }
    QListWidget* listWidget() const { return static_cast<QListWidget*>(WidgetOf(*list)); }
    void doubleClickRow(int row) {
        QWidget* vp = listWidget()->viewport();
        QPoint p = listWidget()->visualItemRect(listWidget()->item(row)).center();
        for (QEvent::Type t : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease,
                               QEvent::MouseButtonDblClick, QEvent::MouseButtonRelease}) {
            QMouseEvent ev(t, QPointF(p), vp->mapToGlobal(QPointF(p)), Qt::LeftButton,
                           t == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton,
                           Qt::NoModifier);
            QApplication::sendEvent(vp, &ev);
        }
    }
    void pressEnter() {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, "\r");
        QApplication::sendEvent(listWidget(), &press);
    }
};

TEST_F(Lists, ChainCurrentEntryAndSubDirectoriesWithTheirIndentations) {
    show();
    EXPECT_EQ(list->CurrentDir(), "C:\\Games\\Race");
    EXPECT_EQ(texts(), (Texts{"C:\\", "Games", "Race", "maps", "Save"}));
    std::vector<Kind> kinds;
    std::vector<int> indents;
    for (int i = 0; i < list->ItemCount(); ++i) {
        kinds.push_back(list->ItemKind(i));
        indents.push_back(list->Indentation(i));
    }
    EXPECT_EQ(kinds, (std::vector<Kind>{Kind::Ancestor, Kind::Ancestor, Kind::Current,
                                        Kind::SubDirectory, Kind::SubDirectory}));
    EXPECT_EQ(indents, (std::vector<int>{2, 6, 10, 14, 14}));
    EXPECT_EQ(list->ItemIndex(), 2);  // the current entry
    EXPECT_EQ(list->ItemHeight(), 16);

    // A drive root is a single current entry.
    list->SetCurrentDir("C:\\");
    EXPECT_EQ(texts(), (Texts{"C:\\", "Games"}));
    EXPECT_EQ(list->ItemKind(0), Kind::Current);
    EXPECT_EQ(list->Indentation(0), 2);
    EXPECT_EQ(list->Indentation(1), 10);
    EXPECT_EQ(list->ItemIndex(), 0);
    expectProcessInCurrentDir();
}

TEST_F(Lists, EntriesBeforeTheWindowExistAndNoEventsUntilThen) {
    makeForm();
    EXPECT_EQ(list->CurrentDir(), "C:\\Games\\Race");
    EXPECT_EQ(combo->DriveLetter(), 'c');
    EXPECT_EQ(combo->ItemCount(), 0);
    EXPECT_EQ(comboChanges + listChanges, 0);
    form->Show();
    EXPECT_EQ(comboChanges, 1);  // raised when its window was created
    EXPECT_EQ(listChanges, 0);   // the list already stood on that drive
    form->Hide();
    form->Show();
    EXPECT_EQ(comboChanges, 1);  // showing again rebuilds nothing
}

TEST_F(Lists, OpeningRootAncestorCurrentAndSubDirectory) {
    show();
    struct Step {
        int index;
        std::string path;  // where the list is afterwards
        int changes;       // list change events so far
    };
    const Step steps[] = {
        {1, "C:\\Games", 1},              // an ancestor
        {2, "C:\\Games\\Race", 2},        // the sub-directory Race
        {2, "C:\\Games\\Race", 2},        // the current entry: nothing
        {3, "C:\\Games\\Race\\maps", 3},  // a sub-directory
        {0, "C:\\", 4},                   // the root, from any depth
        {99, "C:\\", 4},                  // past the last entry: an empty path, nothing
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.path);
        list->SetItemIndex(s.index);
        list->OpenCurrent();
        EXPECT_EQ(list->CurrentDir(), s.path);
        EXPECT_EQ(listChanges, s.changes);
        expectProcessInCurrentDir();
    }
    EXPECT_EQ(list->GetItemPath(99), "");
}

TEST_F(Lists, DoubleClickAndEnterOpenTheSelectedEntry) {
    show();
    int dblClicks = 0;
    list->OnDblClick = [&](TObject*) { ++dblClicks; };
    doubleClickRow(1);
    EXPECT_EQ(dblClicks, 1);
    EXPECT_EQ(list->CurrentDir(), "C:\\Games");
    listWidget()->setCurrentRow(2);  // Race
    pressEnter();
    EXPECT_EQ(list->CurrentDir(), "C:\\Games\\Race");
    // A key handler that swallows the key keeps the list where it is.
    list->OnKeyPress = [](TObject*, char& key) { key = 0; };
    listWidget()->setCurrentRow(0);
    pressEnter();
    EXPECT_EQ(list->CurrentDir(), "C:\\Games\\Race");
    expectProcessInCurrentDir();
}

TEST_F(Lists, AncestorPathsStepOverMultiByteCharacters) {
    MakeDirs(c / "表計/Ränne/Save");
    ASSERT_EQ(platform::SetCurrentDirectory("C:\\表計\\Ränne\\Save"), 0u);
    show();
    EXPECT_EQ(texts(), (Texts{"C:\\", "表計", "Ränne", "Save"}));
    EXPECT_EQ(list->GetItemPath(1), "C:\\表計");
    EXPECT_EQ(list->GetItemPath(2), "C:\\表計\\Ränne");
    list->SetItemIndex(2);
    list->OpenCurrent();
    EXPECT_EQ(list->CurrentDir(), "C:\\表計\\Ränne");
    EXPECT_EQ(fs::current_path(), fs::path(c / "表計/Ränne"));
    EXPECT_EQ(NthBackslash("C:\\表\\R", 2), std::string("C:\\表").size());
    EXPECT_EQ(NthBackslash("C:\\表", 2), std::string::npos);
    // A byte that is not UTF-8 (Latin-1 é) is a character of its own.
    MakeDirs(c / "caf\xE9/Sub");
    list->SetCurrentDir("C:\\caf\xE9\\Sub");
    EXPECT_EQ(texts(), (Texts{"C:\\", "caf\xE9", "Sub"}));
    EXPECT_EQ(list->GetItemPath(1), "C:\\caf\xE9");
}

TEST_F(Lists, AFolderThatIsAnotherDrivesRootStaysAFolderOfItsDrive) {
    MakeDirs(c / "home/user");
    DriveMapScope scope({MakeDrive('c', c.Path()), MakeDrive('d', c / "home")});
    ASSERT_EQ(platform::SetCurrentDirectory("C:\\Games"), 0u);
    show();
    list->SetCurrentDir("C:\\home");
    EXPECT_EQ(list->CurrentDir(), "C:\\home");
    EXPECT_EQ(combo->DriveLetter(), 'c');
    EXPECT_EQ(texts(), (Texts{"C:\\", "home", "user"}));
    list->SetCurrentDir("..");
    EXPECT_EQ(list->CurrentDir(), "C:\\");
    pick('d');
    EXPECT_EQ(list->CurrentDir(), "D:\\");
    list->SetCurrentDir("user");
    EXPECT_EQ(list->CurrentDir(), "D:\\user");
    expectProcessInCurrentDir();
}

TEST_F(Lists, LettersAndLabelsDoNotFollowTheLocale) {
    // A Turkish locale has an i and an I of its own.
    std::string saved = std::setlocale(LC_ALL, nullptr);
    if (!std::setlocale(LC_ALL, "tr_TR.UTF-8")) GTEST_SKIP() << "no tr_TR.UTF-8 locale";
    MakeDirs(e / "i");
    DriveMapScope scope({MakeDrive('c', c.Path(), platform::DRIVE_FIXED, "Été"),
                         MakeDrive('i', e / "i", platform::DRIVE_FIXED, "Disk1")});
    show();
    Texts lower = driveTexts();
    combo->SetTextCase(TTextCase::tcUpperCase);
    Texts upper = driveTexts();
    unsigned code = platform::SetCurrentDirectory("I:\\");
    std::setlocale(LC_ALL, saved.c_str());
    EXPECT_EQ(lower, (Texts{"c: [été]", "i: [disk1]"}));
    EXPECT_EQ(upper, (Texts{"C: [ÉTÉ]", "I: [DISK1]"}));
    EXPECT_EQ(code, 0u);
}

TEST_F(Lists, SubDirectoriesSortedWithoutCaseDuplicatesHiddenOnesOrFiles) {
    MakeDirs(c / "Games/Race/save");     // Save but for case
    MakeDirs(c / "Games/Race/.config");  // hidden
    MakeDirs(c / "Games/Race/alpha");
    MakeDirs(c / "Games/Race/Beta");
    WriteFile(c / "Games/Race/file.txt", "not a folder");
    show();
    Texts all = texts();
    Texts subs(all.begin() + 3, all.end());
    ASSERT_EQ(subs.size(), 4u);
    EXPECT_EQ(subs[0], "alpha");
    EXPECT_EQ(subs[1], "Beta");
    EXPECT_EQ(subs[2], "maps");
    EXPECT_EQ(AnsiLowerCaseFileName(subs[3]), "save");
}

TEST_F(Lists, LowerCaseOnAVolumeThatNeitherKeepsCaseNorIsCaseSensitive) {
    MakeDirs(e / "Setup/DATA");
    MakeDirs(e / "Other/DATA");
    auto flat = MakeDrive('f', e / "Setup");
    flat.Flags = 0;
    auto sensitiveOnly = MakeDrive('g', e / "Other");
    sensitiveOnly.Flags = platform::FS_CASE_SENSITIVE;
    MakeDirs(e / "Lower/data");
    DriveMapScope scope(
        {MakeDrive('c', c.Path()), flat, sensitiveOnly, MakeDrive('h', e / "Lower")});
    ASSERT_EQ(platform::SetCurrentDirectory("F:\\"), 0u);
    show();
    ASSERT_FALSE(list->KeepsCase());
    ASSERT_EQ(list->ItemText(1), "DATA");
    QImage onFlat = list->PaintItem(1, {200, 16}, 0);
    // The same entry, drawn as stored, and a real folder called "data" to compare with.
    list->SetCurrentDir("G:\\");
    ASSERT_TRUE(list->KeepsCase() && list->CaseSensitive());
    QImage asStored = list->PaintItem(1, {200, 16}, 0);
    list->SetCurrentDir("H:\\");
    ASSERT_EQ(list->ItemText(1), "data");
    QImage lower = list->PaintItem(1, {200, 16}, 0);
    EXPECT_EQ(onFlat, lower);
    EXPECT_NE(asStored, lower);
}

TEST_F(Lists, SettingAMissingPathRaisesAndChangesNothing) {
    show();
    Texts before = texts();
    try {
        list->SetCurrentDir("C:\\Games\\Nowhere");
        FAIL() << "no error";
    } catch (const EInOutError& e) {
        EXPECT_EQ(e.ErrorCode(), 2);
    }
    EXPECT_THROW(list->SetCurrentDir("C:\\Nowhere\\Deeper"), EInOutError);
    EXPECT_THROW(list->SetCurrentDir("D:\\"), EInOutError);  // no medium
    EXPECT_EQ(list->CurrentDir(), "C:\\Games\\Race");
    EXPECT_EQ(texts(), before);
    EXPECT_EQ(listChanges, 0);
    EXPECT_EQ(comboChanges, 1);
    EXPECT_EQ(combo->DriveLetter(), 'c');
    expectProcessInCurrentDir();
}

TEST_F(Lists, SettingPathsOfEveryFormKeepsTheProcessInCurrentDir) {
    show();
    struct Case {
        std::string set, expected;
    };
    const Case cases[] = {
        {"Save", "C:\\Games\\Race\\Save"},      // relative to the current directory
        {"..\\maps", "C:\\Games\\Race\\maps"},  // with a parent step
        {"\\Games", "C:\\Games"},               // the root of the current drive
        {"E:\\Setup", "E:\\Setup"},             // another drive: the selector follows
        {"C:Race", "C:\\Games\\Race"},          // where c: was left, then Race
        {"C:\\\\Games", "C:\\Games"},           // a doubled backslash
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.set);
        list->SetCurrentDir(k.set);
        EXPECT_EQ(list->CurrentDir(), k.expected);
        EXPECT_EQ(tolower(combo->DriveLetter()), tolower(k.expected[0]));
        expectProcessInCurrentDir();
    }
}

TEST_F(Lists, SettingADirectoryOnAnotherDriveMovesTheSelectorWithoutASecondRebuild) {
    show();
    list->SetCurrentDir("E:\\Setup");
    EXPECT_EQ(combo->DriveLetter(), 'e');
    EXPECT_EQ(combo->ItemIndex(), itemOf('e'));
    EXPECT_EQ(comboChanges, 2);
    EXPECT_EQ(listChanges, 1);  // once, for the directory
    EXPECT_EQ(texts(), (Texts{"E:\\", "Setup"}));
    // Without a selector the list follows the drive itself.
    combo->SetDirList(nullptr);
    EXPECT_EQ(list->DriveCombo(), nullptr);
    list->SetCurrentDir("C:\\Games");
    EXPECT_EQ(combo->DriveLetter(), 'e');
    EXPECT_EQ(list->CurrentDir(), "C:\\Games");
    expectProcessInCurrentDir();
}

TEST_F(Lists, ChangeEventsOnShowingAndOnPicks) {
    show();
    EXPECT_EQ(comboChanges, 1);
    EXPECT_EQ(combo->DriveLetter(), 'c');
    EXPECT_EQ(combo->ItemIndex(), itemOf('c'));

    pick('e');
    EXPECT_EQ(comboChanges, 3);  // a pick that changes the drive: twice
    EXPECT_EQ(listChanges, 1);
    EXPECT_EQ(list->CurrentDir(), "E:\\");
    expectProcessInCurrentDir();
    pick('e');
    EXPECT_EQ(comboChanges, 4);  // the same drive again: once
    EXPECT_EQ(listChanges, 1);

    // Back on c: the list lands where c: was left.
    pick('c');
    EXPECT_EQ(list->CurrentDir(), "C:\\Games\\Race");
    expectProcessInCurrentDir();

    int clicks = 0;
    combo->OnClick = [&](TObject*) { ++clicks; };
    pick('n');
    EXPECT_EQ(clicks, 1);
}

TEST_F(Lists, UpperCaseRebuildsTheListAndRaisesChange) {
    show();
    pick('e');
    int before = comboChanges;
    combo->SetTextCase(TTextCase::tcUpperCase);
    EXPECT_EQ(comboChanges, before + 1);
    EXPECT_EQ(combo->DriveLetter(), 'E');
    EXPECT_EQ(combo->ItemIndex(), itemOf('e'));
    EXPECT_EQ(driveTexts(), (Texts{"C: [SYSTEM]", "D: []", "E:", "N: \\\\SERVER\\GAMES"}));
    combo->SetTextCase(TTextCase::tcUpperCase);  // no change, nothing happens
    EXPECT_EQ(comboChanges, before + 1);
    EXPECT_EQ(list->CurrentDir(), "E:\\");
}

TEST_F(Lists, DriveWithoutAMedium) {
    show();
    DialogRecorder dialogs;
    pick('d');
    ASSERT_EQ(dialogs.Count(), 1);
    EXPECT_EQ(dialogs.Last().Text, "I/O error 21.");
    EXPECT_EQ(combo->DriveLetter(), 'd');  // the selector is already on it
    EXPECT_EQ(combo->ItemIndex(), itemOf('d'));
    EXPECT_EQ(list->CurrentDir(), "C:\\Games\\Race");
    EXPECT_EQ(texts(), (Texts{"C:\\", "Games", "Race", "maps", "Save"}));
    EXPECT_EQ(listChanges, 0);
    EXPECT_EQ(comboChanges, 1);
    expectProcessInCurrentDir();

    // With a medium in, the same pick does not move the list: the letter is unchanged.
    MakeDirs(c / "nomedia/Disk1");
    seams::DriveReadyScope medium('d', true);
    pick('d');
    EXPECT_EQ(comboChanges, 2);
    EXPECT_EQ(list->CurrentDir(), "C:\\Games\\Race");
    // Another drive first, then this one, moves it.
    pick('c');
    pick('d');
    EXPECT_EQ(list->CurrentDir(), "D:\\");
    EXPECT_EQ(texts(), (Texts{"D:\\", "Disk1"}));
    expectProcessInCurrentDir();
    EXPECT_EQ(dialogs.Count(), 1);
}

TEST_F(Lists, NetworkDirectoryWithoutALetter) {
    // A native folder outside every drive reads as a network path.
    TempDir outside;
    MakeDirs(outside / "Share/Inner");
    DriveMapScope scope({MakeDrive('c', c.Path(), platform::DRIVE_FIXED, "SYSTEM")});
    fs::current_path(outside / "Share");
    std::string dir = platform::GetCurrentDirectory();
    ASSERT_EQ(dir.substr(0, 2), "\\\\");
    show();
    EXPECT_EQ(combo->DriveLetter(), 0);
    EXPECT_EQ(combo->ItemIndex(), -1);
    EXPECT_EQ(comboChanges, 1);
    std::string root = ExtractFileDrive(dir) + "\\";
    ASSERT_GE(list->ItemCount(), 2);
    EXPECT_EQ(list->ItemText(0), root);
    EXPECT_EQ(list->ItemKind(0), Kind::Ancestor);
    EXPECT_EQ(list->ItemText(list->ItemCount() - 1), "Inner");
    EXPECT_EQ(list->ItemKind(list->ItemCount() - 1), Kind::SubDirectory);
    EXPECT_EQ(list->GetItemPath(0), root);
    // Into the sub-folder and back to a lettered drive.
    list->SetCurrentDir(dir + "\\Inner");
    EXPECT_EQ(list->CurrentDir(), dir + "\\Inner");
    expectProcessInCurrentDir();
    list->SetCurrentDir("C:\\Games");
    EXPECT_EQ(combo->DriveLetter(), 'c');
    expectProcessInCurrentDir();
}

TEST_F(Lists, LinksAreClearedWhenEitherSideGoes) {
    makeForm();
    EXPECT_EQ(combo->DirList(), list);
    EXPECT_EQ(list->DriveCombo(), combo);
    auto* other = new TDriveComboBox(form.get());
    other->SetDirList(list);
    EXPECT_EQ(list->DriveCombo(), other);
    delete list;
    EXPECT_EQ(combo->DirList(), nullptr);
    EXPECT_EQ(other->DirList(), nullptr);

    auto* second = new TDirectoryListBox(form.get());
    combo->SetDirList(second);
    delete combo;
    EXPECT_EQ(second->DriveCombo(), nullptr);
}

TEST_F(Lists, AFontChangeRemeasuresAndRecreatesTheSelectorWindow) {
    show();
    TCanvas measure;
    measure.SetFont(combo->Font());
    EXPECT_EQ(combo->ItemHeight(), std::max(11, measure.TextMetrics().Height));
    TFont big = combo->Font();
    big.SetHeight(-24);
    combo->SetFont(big);
    EXPECT_GT(combo->ItemHeight(), 20);
    EXPECT_EQ(comboChanges, 2);  // the new window builds the list and raises OnChange
    EXPECT_EQ(combo->ItemIndex(), itemOf('c'));
    list->SetFont(big);
    EXPECT_GT(list->ItemHeight(), 20);
    TFont small = list->Font();
    small.SetHeight(-8);
    list->SetFont(small);
    EXPECT_EQ(list->ItemHeight(), 16);
}

}  // namespace
