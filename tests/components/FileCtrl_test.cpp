// The drive selector and directory list on real folders mapped as drives.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "components/FileCtrl.h"
#include "framework/Forms.h"
#include "framework/SysUtils.h"
#include "support/GuiSupport.h"
#include "support/TestSupport.h"

namespace fs = std::filesystem;
using namespace testing_support;
using Kind = TDirectoryListBox::TEntryKind;

namespace {

std::string nativeCwd() { return fs::current_path().string(); }

struct Lists : ::testing::Test {
    TempDir c, e;
    std::unique_ptr<DriveMapScope> drives;
    TForm* form = nullptr;
    TDriveComboBox* combo = nullptr;
    TDirectoryListBox* list = nullptr;
    int comboChanges = 0, listChanges = 0;

    void SetUp() override {
        MakeDirs(c / "Games/Race/Save");
        MakeDirs(c / "Games/Race/maps");
        MakeDirs(e / "Setup");
        auto d = MakeDrive('d', c / "nomedia", platform::DRIVE_CDROM, "");
        d.Ready = false;
        auto cd = MakeDrive('c', c.Path(), platform::DRIVE_FIXED, "SYSTEM");
        drives = std::make_unique<DriveMapScope>(std::vector<platform::Drive>{
            cd, d, MakeDrive('e', e.Path(), platform::DRIVE_REMOVABLE)});
        ASSERT_EQ(platform::SetCurrentDirectory("C:\\Games\\Race"), 0u);
    }
    void TearDown() override { delete form; }

    void makeForm() {
        form = new TForm(nullptr);
        form->SetClientSize(321, 200);
        combo = new TDriveComboBox(form);
        combo->SetBounds(7, 17, 307, 19);
        combo->SetParent(form);
        list = new TDirectoryListBox(form);
        list->SetBounds(8, 45, 305, 136);
        list->SetParent(form);
        combo->SetDirList(list);
        combo->OnChange = [this](TObject*) { ++comboChanges; };
        list->OnChange = [this](TObject*) { ++listChanges; };
    }
    std::vector<std::string> texts() {
        std::vector<std::string> out;
        for (int i = 0; i < list->ItemCount(); ++i) out.push_back(list->ItemText(i));
        return out;
    }
    int itemOf(char letter) {
        for (int i = 0; i < combo->ItemCount(); ++i)
            if (std::tolower(combo->ItemText(i)[0]) == letter) return i;
        return -1;
    }
    // A pick as the toolkit delivers it: errors go to the error box.
    void pick(char letter) {
        int i = itemOf(letter);
        Dispatch([&] { combo->PickItem(i); });
    }
};

TEST_F(Lists, ChainCurrentEntryAndSortedSubDirectories) {
    makeForm();
    form->Show();
    EXPECT_EQ(list->CurrentDir(), "C:\\Games\\Race");
    EXPECT_EQ(texts(), (std::vector<std::string>{"C:\\", "Games", "Race", "maps", "Save"}));
    EXPECT_EQ(list->ItemKind(0), Kind::Ancestor);
    EXPECT_EQ(list->ItemKind(1), Kind::Ancestor);
    EXPECT_EQ(list->ItemKind(2), Kind::Current);
    EXPECT_EQ(list->ItemKind(3), Kind::SubDirectory);
    std::vector<int> indents;
    for (int i = 0; i < list->ItemCount(); ++i) indents.push_back(list->Indentation(i));
    EXPECT_EQ(indents, (std::vector<int>{2, 6, 10, 14, 14}));
    EXPECT_EQ(list->ItemIndex(), 2);

    list->SetCurrentDir("C:\\");
    EXPECT_EQ(texts(), (std::vector<std::string>{"C:\\", "Games"}));
    EXPECT_EQ(list->ItemKind(0), Kind::Current);
    EXPECT_EQ(list->Indentation(1), 10);
    EXPECT_EQ(nativeCwd(), c.Path());
}

TEST_F(Lists, OpeningEntries) {
    makeForm();
    form->Show();
    list->SetItemIndex(1);  // an ancestor
    EXPECT_EQ(list->GetItemPath(1), "C:\\Games");
    list->OpenCurrent();
    EXPECT_EQ(list->CurrentDir(), "C:\\Games");
    EXPECT_EQ(nativeCwd(), c / "Games");

    list->SetItemIndex(2);  // the sub-directory Race
    list->OpenCurrent();
    EXPECT_EQ(list->CurrentDir(), "C:\\Games\\Race");
    int changes = listChanges;
    list->SetItemIndex(2);  // the current entry: nothing happens
    list->OpenCurrent();
    EXPECT_EQ(listChanges, changes);

    list->SetItemIndex(3);  // maps
    list->OpenCurrent();
    EXPECT_EQ(list->CurrentDir(), "C:\\Games\\Race\\maps");
    list->SetItemIndex(0);  // the root, from any depth
    list->OpenCurrent();
    EXPECT_EQ(list->CurrentDir(), "C:\\");
    EXPECT_EQ(nativeCwd(), c.Path());
    EXPECT_EQ(list->GetItemPath(99), "");
}

TEST_F(Lists, AncestorPathsWithMultiByteNames) {
    MakeDirs(c / "表/Race");
    ASSERT_EQ(platform::SetCurrentDirectory("C:\\表\\Race"), 0u);
    makeForm();
    form->Show();
    EXPECT_EQ(list->GetItemPath(1), "C:\\表");
    list->SetItemIndex(1);
    list->OpenCurrent();
    EXPECT_EQ(nativeCwd(), c / "表");
}

TEST_F(Lists, SubDirectoriesSortedWithoutDuplicatesOrHiddenOnes) {
    MakeDirs(c / "Games/Race/save");     // equal to Save but for case
    MakeDirs(c / "Games/Race/.config");  // hidden
    MakeDirs(c / "Games/Race/Alpha");
    WriteFile(c / "Games/Race/file.txt", "not a folder");
    makeForm();
    form->Show();
    std::vector<std::string> all = texts();
    std::vector<std::string> subs(all.begin() + 3, all.end());
    ASSERT_EQ(subs.size(), 3u);
    EXPECT_EQ(subs[0], "Alpha");
    EXPECT_EQ(subs[1], "maps");
    EXPECT_EQ(AnsiLowerCaseFileName(subs[2]), "save");
}

TEST_F(Lists, LowerCaseOnAVolumeThatKeepsNoCase) {
    auto flat = MakeDrive('f', e / "Setup");
    flat.Flags = 0;
    auto keeping = MakeDrive('g', c / "Games/Race");
    DriveMapScope scope({MakeDrive('c', c.Path()), flat, keeping});
    MakeDirs(e / "Setup/DATA");
    ASSERT_EQ(platform::SetCurrentDirectory("F:\\"), 0u);
    makeForm();
    form->Show();
    ASSERT_FALSE(list->KeepsCase());
    ASSERT_EQ(list->ItemText(1), "DATA");
    QImage upperImage(200, 16, QImage::Format_RGB32), lowerImage(200, 16, QImage::Format_RGB32);
    TCanvas a(&upperImage);
    list->DrawItem(a, 1, {0, 0, 200, 16}, 0);
    // The same entry drawn from a list whose folder is really called "data".
    MakeDirs(c / "Games/Race/data");
    fs::remove_all(c / "Games/Race/maps");
    fs::remove_all(c / "Games/Race/Save");
    list->SetCurrentDir("G:\\");
    ASSERT_EQ(list->ItemText(1), "data");
    TCanvas b(&lowerImage);
    list->DrawItem(b, 1, {0, 0, 200, 16}, 0);
    EXPECT_EQ(upperImage, lowerImage);
}

TEST_F(Lists, ChangeEventsOnShowingAndOnPicks) {
    makeForm();
    form->Show();
    EXPECT_EQ(comboChanges, 1);  // raised when its window was created
    EXPECT_EQ(combo->DriveLetter(), 'c');
    EXPECT_EQ(combo->ItemText(itemOf('c')), "c: [system]");
    EXPECT_EQ(combo->ItemText(itemOf('d')), "d: []");
    EXPECT_EQ(combo->ItemText(itemOf('e')), "e:");

    pick('e');
    EXPECT_EQ(comboChanges, 3);  // a pick that changes the drive: twice
    EXPECT_EQ(list->CurrentDir(), "E:\\");
    EXPECT_EQ(nativeCwd(), e.Path());
    pick('e');
    EXPECT_EQ(comboChanges, 4);  // the same drive again: once

    combo->SetTextCase(TTextCase::tcUpperCase);
    EXPECT_EQ(comboChanges, 5);
    EXPECT_EQ(combo->ItemText(itemOf('c')), "C: [SYSTEM]");
    EXPECT_EQ(combo->DriveLetter(), 'E');
}

TEST_F(Lists, DriveWithoutAMedium) {
    makeForm();
    form->Show();
    DialogRecorder dialogs;
    int listBefore = listChanges, comboBefore = comboChanges;
    pick('d');
    ASSERT_EQ(dialogs.Count(), 1);
    EXPECT_EQ(dialogs.Last().Text, "I/O error 21.");
    EXPECT_EQ(combo->DriveLetter(), 'd');  // the selector is already on it
    EXPECT_EQ(list->CurrentDir(), "C:\\Games\\Race");
    EXPECT_EQ(listChanges, listBefore);
    EXPECT_EQ(comboChanges, comboBefore);

    // With a medium in, the same pick does not move the list: the letter is unchanged.
    MakeDirs(c / "nomedia");
    platform::SetDriveReady('d', true);
    pick('d');
    EXPECT_EQ(comboChanges, comboBefore + 1);
    EXPECT_EQ(list->CurrentDir(), "C:\\Games\\Race");
    // Another drive first, then this one, moves it.
    pick('c');
    pick('d');
    EXPECT_EQ(list->CurrentDir(), "D:\\");
    EXPECT_EQ(nativeCwd(), c / "nomedia");
}

TEST_F(Lists, SettingAMissingPathChangesNothing) {
    makeForm();
    form->Show();
    EXPECT_THROW(list->SetCurrentDir("C:\\Games\\Nowhere"), EInOutError);
    EXPECT_EQ(list->CurrentDir(), "C:\\Games\\Race");
    EXPECT_EQ(nativeCwd(), c / "Games/Race");
    // Setting a directory on another drive switches the selector too.
    list->SetCurrentDir("E:\\Setup");
    EXPECT_EQ(combo->DriveLetter(), 'e');
    EXPECT_EQ(nativeCwd(), e / "Setup");
}

TEST_F(Lists, ItemsAreDrawnWithTransparentBitmapsAndTextAfterThem) {
    makeForm();
    form->Show();
    QImage img(200, 16, QImage::Format_RGB32);
    TCanvas canvas(&img);
    combo->DrawItem(canvas, itemOf('c'), {0, 0, 200, 16}, 0);
    // The drive bitmap (16 x 11) at x 2, y (16 - 11) / 2 = 2; its teal background left out.
    EXPECT_EQ(PixelAt(img, 2, 0), clWhite);
    EXPECT_EQ(PixelAt(img, 2, 14), clWhite);
    bool bitmapPixels = false, textPixels = false, leftOfText = false;
    for (int y = 2; y < 13; ++y)
        for (int x = 2; x < 18; ++x) bitmapPixels |= PixelAt(img, x, y) != clWhite;
    for (int y = 0; y < 16; ++y) {
        for (int x = 22; x < 60; ++x) textPixels |= PixelAt(img, x, y) == clBlack;
        for (int x = 18; x < 22; ++x) leftOfText |= PixelAt(img, x, y) != clWhite;
    }
    EXPECT_TRUE(bitmapPixels);
    EXPECT_TRUE(textPixels);
    EXPECT_FALSE(leftOfText);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 200; ++x) ASSERT_NE(PixelAt(img, x, y), RGB(0, 128, 128)) << x << "," << y;

    // A sub-directory entry: bitmap at its indentation, text 4 pixels after the bitmap.
    img.fill(Qt::white);
    list->DrawItem(canvas, 3, {0, 0, 200, 16}, 0);
    int indent = list->Indentation(3);
    bool before = false;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < indent; ++x) before |= PixelAt(img, x, y) != clWhite;
    EXPECT_FALSE(before);
    bool folder = false;
    for (int x = indent; x < indent + 16; ++x) folder |= PixelAt(img, x, 8) != clWhite;
    EXPECT_TRUE(folder);
}

}  // namespace
