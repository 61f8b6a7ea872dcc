// Owner-drawn items of the drive selector and the directory list, pixel by pixel, and the
// bitmaps they draw.
#include <gtest/gtest.h>

#include <set>

#include "components/FileCtrl.h"
#include "framework/Forms.h"
#include "support/GuiSupport.h"
#include "support/TestSupport.h"

using namespace testing_support;

namespace {

struct Items : ::testing::Test {
    TempDir c, other;
    std::unique_ptr<DriveMapScope> drives;
    std::unique_ptr<TForm> form;
    TDriveComboBox* combo = nullptr;
    TDirectoryListBox* list = nullptr;

    void SetUp() override {
        MakeDirs(c / "Games/Race/maps");
        std::vector<platform::Drive> map = {
            MakeDrive('a', other.Path(), platform::DRIVE_REMOVABLE),
            MakeDrive('c', c.Path(), platform::DRIVE_FIXED, "SYSTEM"),
            MakeDrive('d', other.Path(), platform::DRIVE_CDROM, "DISC"),
            MakeDrive('n', other.Path(), platform::DRIVE_REMOTE),
            MakeDrive('r', other.Path(), platform::DRIVE_RAMDISK)};
        drives = std::make_unique<DriveMapScope>(map);
        ASSERT_EQ(platform::SetCurrentDirectory("C:\\Games\\Race"), 0u);
        form = std::make_unique<TForm>(nullptr);
        form->SetClientSize(321, 200);
        combo = new TDriveComboBox(form.get());
        combo->SetParent(form.get());
        list = new TDirectoryListBox(form.get());
        list->SetParent(form.get());
        combo->SetDirList(list);
        form->Show();
    }
    void TearDown() override {
        form.reset();
        drives.reset();
    }

    // The bitmap drawn at (x, y) with its bottom-left colour left out.
    static void expectBitmapAt(const QImage& img, const TBitmap& b, int x, int y, TColor back) {
        TColor transparent = b.TransparentColor();
        for (int j = 0; j < b.Height(); ++j)
            for (int i = 0; i < b.Width(); ++i) {
                TColor px = FromQColor(QColor(b.Image().pixel(i, j)));
                ASSERT_EQ(PixelAt(img, x + i, y + j), px == transparent ? ColorToRGB(back) : px)
                    << "bitmap pixel " << i << "," << j;
            }
    }
    // Columns [from, to) of rows [top, bottom) hold only the background.
    static bool blank(const QImage& img, int from, int to, int top, int bottom, TColor back) {
        for (int y = top; y < bottom; ++y)
            for (int x = from; x < to; ++x)
                if (PixelAt(img, x, y) != ColorToRGB(back)) return false;
        return true;
    }
    // Bounding box of the pixels in the text colour.
    static QRect inkOf(const QImage& img, TColor ink, int fromX) {
        QRect box;
        for (int y = 0; y < img.height(); ++y)
            for (int x = fromX; x < img.width(); ++x)
                if (PixelAt(img, x, y) == ColorToRGB(ink)) box |= QRect(x, y, 1, 1);
        return box;
    }
};

TEST_F(Items, BitmapsAreSmallSixteenColourPicturesWithATransparentCorner) {
    std::vector<const TBitmap*> drives, folders;
    for (int i = 0; i < combo->ItemCount(); ++i) drives.push_back(combo->ItemBitmap(i));
    ASSERT_EQ(drives.size(), 5u);
    folders = {list->ItemBitmap(0), list->ItemBitmap(2), list->ItemBitmap(3)};
    std::set<const TBitmap*> distinct(drives.begin(), drives.end());
    distinct.insert(folders.begin(), folders.end());
    EXPECT_EQ(distinct.size(), 8u);  // one per drive type and entry kind
    for (const TBitmap* b : distinct) {
        ASSERT_NE(b, nullptr);
        bool drive = std::find(drives.begin(), drives.end(), b) != drives.end();
        EXPECT_EQ(b->Width(), 16);
        EXPECT_EQ(b->Height(), drive ? 11 : 15);
        std::set<QRgb> colours;
        for (int y = 0; y < b->Height(); ++y)
            for (int x = 0; x < b->Width(); ++x) colours.insert(b->Image().pixel(x, y));
        EXPECT_LE(colours.size(), 16u);
        EXPECT_GT(colours.size(), 2u);
        EXPECT_EQ(b->TransparentColor(), RGB(0, 128, 128));
    }
    EXPECT_EQ(list->ItemHeight(), 16);  // folder bitmap + 1
}

TEST_F(Items, DriveItemBitmapCentredAndTextAfterIt) {
    int c = 1;
    ASSERT_EQ(combo->ItemText(c), "c: [system]");
    for (int height : {16, 15}) {
        SCOPED_TRACE(height);
        QImage img = combo->PaintItem(c, {200, height}, 0);
        int top = (height - 11) / 2;  // 2 for both
        expectBitmapAt(img, *combo->ItemBitmap(c), 2, top, clWindow);
        EXPECT_TRUE(blank(img, 0, 2, 0, height, clWindow));
        EXPECT_TRUE(blank(img, 0, 200, 0, top, clWindow));
        EXPECT_TRUE(blank(img, 18, 22, 0, height, clWindow));  // the gap before the text
        QRect ink = inkOf(img, clWindowText, 18);
        ASSERT_FALSE(ink.isEmpty());
        EXPECT_LE(ink.left(), 23);                                          // "c" starts at 16 + 6
        EXPECT_LE(std::abs((ink.top() + ink.bottom()) - (height - 1)), 3);  // centred
    }
    // A selected item: highlight behind bitmap and text.
    QImage selected = combo->PaintItem(c, {200, 16}, odSelected | odFocused);
    expectBitmapAt(selected, *combo->ItemBitmap(c), 2, 2, clHighlight);
    EXPECT_FALSE(inkOf(selected, clHighlightText, 22).isEmpty());
    EXPECT_TRUE(inkOf(selected, clWindowText, 22).isEmpty());
}

TEST_F(Items, DirectoryItemIndentedWithItsFolderAndTextAtTheTop) {
    ASSERT_EQ(list->ItemText(3), "maps");
    int indent = list->Indentation(3);
    ASSERT_EQ(indent, 14);
    QImage img = list->PaintItem(3, {200, 16}, 0);
    expectBitmapAt(img, *list->ItemBitmap(3), indent, 0, clWindow);
    EXPECT_TRUE(blank(img, 0, indent, 0, 16, clWindow));
    EXPECT_TRUE(blank(img, indent + 16, indent + 16 + 4, 0, 16, clWindow));
    QRect ink = inkOf(img, clWindowText, indent + 16);
    ASSERT_FALSE(ink.isEmpty());
    EXPECT_LE(ink.left(), indent + 16 + 4 + 1);
    EXPECT_LE(ink.top(), 5);  // written from the top, not centred
    // The chain: the current entry Race at 10, its bitmap the current folder.
    QImage current = list->PaintItem(2, {200, 16}, 0);
    expectBitmapAt(current, *list->ItemBitmap(2), 10, 0, clWindow);
    EXPECT_TRUE(blank(current, 0, 10, 0, 16, clWindow));
}

}  // namespace
