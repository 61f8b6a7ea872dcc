// The information-file viewer as opened from the main window, on files in a program folder.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QFontInfo>
#include <QFontMetrics>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextLayout>
#include <filesystem>

#include "forms/InstallerWindows.h"
#include "framework/Application.h"
#include "framework/StdCtrls_p.h"
#include "framework/SysUtils.h"

using namespace testing_support;

namespace {

constexpr const char* kNfo = "TARNWICK.NFO";

std::vector<std::string> memoLines() {
    std::vector<std::string> out;
    for (int i = 0; i < Form4->Memo1->LineCount(); ++i) out.push_back(Form4->Memo1->Line(i));
    return out;
}

struct Viewer : ::testing::Test {
    std::unique_ptr<InstallerWindows> windows;

    void SetUp() override { start({{kNfo, "Tarnwick\r\n"}}); }
    void TearDown() override {
        if (Form1 && Form1->Visible()) Form1->Hide();
    }
    void start(std::map<std::string, std::string> files) {
        windows.reset();
        windows = std::make_unique<InstallerWindows>(std::move(files));
        Form1->Show();
    }
    void writeNfo(const std::string& bytes) { WriteFile(windows->Native(kNfo), bytes); }
    // Opens the viewer with Ctrl+N in the main window and runs the steps inside it; it is
    // closed afterwards unless a step closed it.
    void inViewer(
        std::vector<std::function<void()>> steps,
        std::function<void()> open = [] { PressKey(Form1, Qt::Key_N, Qt::ControlModifier); }) {
        bool done = false;
        steps.insert(steps.begin(), [&] {
            open();
            done = true;
        });
        steps.push_back([] {
            if (Form4->Modal()) Form4->Close();
        });
        RunSteps(steps);
        ASSERT_TRUE(WaitUntil([&] { return done; }));
    }
    // The lines the viewer shows for a file.
    std::vector<std::string> shown(const std::string& bytes) {
        writeNfo(bytes);
        std::vector<std::string> lines;
        inViewer({[&] { lines = memoLines(); }});
        return lines;
    }
};

using Lines = std::vector<std::string>;

TEST(OemText, CodePage437CharactersBecomeTheirUnicodeCounterparts) {
    EXPECT_EQ(OemToUtf8("\xC9\xCD\xBB\xBA\xC8\xBC\xB0\xB1\xB2\xDB\xDC\xDF"), "╔═╗║╚╝░▒▓█▄▀");
    EXPECT_EQ(OemToUtf8("\xDA\xC4\xBF\xB3\xC0\xD9\xC5\xCE"), "┌─┐│└┘┼╬");
    EXPECT_EQ(OemToUtf8("Caf\x82 \x81\x62\x65r Stra\xE1\x65 \x9C\xF8"), "Café über Straße £°");
    EXPECT_EQ(OemToUtf8("plain ASCII\t~"), "plain ASCII\t~");
    std::string all;
    for (int b = 1; b < 256; ++b) all += static_cast<char>(b);
    EXPECT_EQ(QString::fromStdString(OemToUtf8(all)).size(), 255);  // one character a byte
}

TEST(TextFileBytes, StopsAtTheFirstNulOrTheLimit) {
    TempDir dir;
    WriteFile(dir / "a", std::string("before\0after", 12));
    EXPECT_EQ(ReadTextFileBytes(dir / "a", 100), "before");
    WriteFile(dir / "b", std::string(200000, 'x'));
    EXPECT_EQ(ReadTextFileBytes(dir / "b", 70001)->size(), 70001u);
    EXPECT_EQ(ReadTextFileBytes(dir / "b", 300000)->size(), 200000u);
    WriteFile(dir / "empty", "");
    EXPECT_EQ(ReadTextFileBytes(dir / "empty", 10), "");
    EXPECT_FALSE(ReadTextFileBytes(dir / "missing", 10));
    EXPECT_FALSE(ReadTextFileBytes(dir.Path(), 10));  // a folder is no file
    EXPECT_FALSE(ReadTextFileBytes("", 10));
}

TEST_F(Viewer, ShowsTheFileInItsCodePageWithTheNameAsCaption) {
    writeNfo("\xC9\xCD\xCD\xBB\r\n\xBA\x41\x42\xBA\r\n\xC8\xCD\xCD\xBC\r\n\tTab\xB0\xB1\xB2\r\n");
    inViewer({[&] {
        EXPECT_TRUE(Form4->Modal());
        EXPECT_EQ(Form4->Caption(), kNfo);
        EXPECT_EQ(memoLines(), (Lines{"╔══╗", "║AB║", "╚══╝", "\tTab░▒▓"}));
    }});
}

TEST_F(Viewer, EveryWayFromTheMainWindowOpensItModally) {
    const std::pair<const char*, std::function<void()>> ways[] = {
        {"Ctrl+N", [] { PressKey(Form1, Qt::Key_N, Qt::ControlModifier); }},
        {"hot-spot", [] { Click(Form1->Label2); }},
        {"picture",
         [] {
             MoveMouse(Form1->Image1, 420, 60);  // the hot-spot shows the picture
             Click(Form1->Image1, 391, 39);      // its corner, outside the hot-spot
         }},
        {"menu item", [] { Form1->Nfo1->Click(); }},
    };
    for (auto& [name, open] : ways) {
        SCOPED_TRACE(name);
        bool modal = false;
        inViewer({[&] { modal = Form4->Modal() && !Form1->WindowEnabled(); }}, open);
        EXPECT_TRUE(modal);
        EXPECT_FALSE(Form4->Visible());
    }
}

TEST_F(Viewer, EveryKindOfLineEndEndsALineAndNulEndsTheText) {
    const Lines abc{"a", "b", "c"};
    EXPECT_EQ(shown("a\r\nb\r\nc"), abc);
    EXPECT_EQ(shown("a\rb\rc\r"), abc);
    EXPECT_EQ(shown("a\nb\nc\n"), abc);
    EXPECT_EQ(shown("a\r\nb\rc\n"), abc);
    EXPECT_EQ(shown("a\n\r\nb"), (Lines{"a", "", "b"}));
    EXPECT_EQ(shown("\n\nx"), (Lines{"", "", "x"}));
    EXPECT_EQ(shown(std::string("a\r\nb\0hidden\r\nmore", 18)), (Lines{"a", "b"}));
    EXPECT_EQ(shown(std::string("\0all hidden", 11)), Lines{});
}

TEST_F(Viewer, EachOpeningReloadsAndStartsAtTheTop) {
    std::string many;
    for (int i = 0; i < 300; ++i) many += "line " + std::to_string(i) + "\r\n";
    writeNfo(many);
    inViewer({[&] {
        EXPECT_EQ(Form4->Memo1->LineCount(), 300);
        EditorOf(*Form4->Memo1)->verticalScrollBar()->setValue(100);
    }});
    writeNfo("changed\r\n" + many);
    inViewer({[&] {
        EXPECT_EQ(Form4->Memo1->Line(0), "changed");
        EXPECT_EQ(Form4->Memo1->LineCount(), 301);
        EXPECT_EQ(EditorOf(*Form4->Memo1)->verticalScrollBar()->value(), 0);
    }});
}

TEST_F(Viewer, MissingFileGivesOneLineAndKeepsTheCaption) {
    std::filesystem::remove(windows->Native(kNfo));
    inViewer({[&] {
        EXPECT_EQ(memoLines(), Lines{"Can`t load file TARNWICK.NFO"});
        EXPECT_EQ(Form4->Caption(), "NFO");
    }});
}

TEST_F(Viewer, FileRemovedBetweenOpeningsLeavesTheEarlierCaption) {
    inViewer({[&] { EXPECT_EQ(memoLines(), Lines{"Tarnwick"}); }});
    std::filesystem::remove(windows->Native(kNfo));
    inViewer({[&] {
        EXPECT_EQ(memoLines(), Lines{"Can`t load file TARNWICK.NFO"});
        EXPECT_EQ(Form4->Caption(), kNfo);
    }});
    writeNfo("back");
    inViewer({[&] { EXPECT_EQ(memoLines(), Lines{"back"}); }});
}

TEST_F(Viewer, FilesThatCannotBeOpenedGiveTheLineToo) {
    // A folder under the name.
    std::filesystem::remove(windows->Native(kNfo));
    MakeDirs(windows->Native(kNfo));
    EXPECT_EQ(shown(""), Lines{"Can`t load file TARNWICK.NFO"});
    std::filesystem::remove(windows->Native(kNfo));
    // A file without read permission (the superuser reads everything).
    if (geteuid() != 0) {
        writeNfo("secret");
        std::filesystem::permissions(windows->Native(kNfo), std::filesystem::perms::none);
        inViewer({[&] { EXPECT_EQ(memoLines(), Lines{"Can`t load file TARNWICK.NFO"}); }});
    }
}

TEST_F(Viewer, TheLineIsCutTo255Characters) {
    const std::string name(250, 'n');
    start({{"install.ini", "[OPTIONS]\r\nNFO.......=" + name + "\r\n"}});
    inViewer({[&] {
        ASSERT_EQ(Form4->Memo1->LineCount(), 1);
        EXPECT_EQ(Form4->Memo1->Line(0), "Can`t load file " + name.substr(0, 239));
        EXPECT_EQ(Form4->Caption(), "NFO");
    }});
    // Without a name the path is the program folder itself.
    start({{"install.ini", "[OPTIONS]\r\n"}});
    inViewer({[&] { EXPECT_EQ(memoLines(), Lines{"Can`t load file "}); }});
}

TEST_F(Viewer, AClickIntoTheTextClosesItScrollingDoesNot) {
    std::string many;
    for (int i = 0; i < 300; ++i) many += "line " + std::to_string(i) + "\r\n";
    writeNfo(many);
    bool openAfterScrolling = false, closedByClick = false;
    int barValue = 0, keyValue = 0;
    inViewer({
        [&] {
            QScrollBar* bar = EditorOf(*Form4->Memo1)->verticalScrollBar();
            PressKey(Form4, Qt::Key_PageDown);
            PressKey(Form4, Qt::Key_PageDown);
            keyValue = bar->value();
            QPoint trough =
                bar->mapTo(EditorOf(*Form4->Memo1), QPoint(bar->width() / 2, bar->height() - 40));
            Click(Form4->Memo1, trough.x(), trough.y());
            barValue = bar->value();
            openAfterScrolling = Form4->Modal() && Form4->Visible();
        },
        [&] {
            Click(Form4->Memo1, 100, 100);
            closedByClick = Form4->ModalResult() != mrNone;
        },
    });
    EXPECT_TRUE(closedByClick);
    EXPECT_GT(keyValue, 0);
    EXPECT_GT(barValue, keyValue);
    EXPECT_TRUE(openAfterScrolling);
    EXPECT_FALSE(Form4->Visible());
    EXPECT_EQ(Application->ActiveForm(), Form1);
    EXPECT_TRUE(Form1->WindowEnabled());
}

TEST_F(Viewer, TheCloseBoxClosesIt) {
    bool closed = false;
    inViewer({
        [&] {
            EXPECT_TRUE(Form4->CaptionButtonRect(HTMINBUTTON).IsEmpty());
            EXPECT_TRUE(Form4->CaptionButtonRect(HTMAXBUTTON).IsEmpty());
            TRect box = Form4->CaptionButtonRect(HTCLOSE);
            ASSERT_FALSE(box.IsEmpty());
            Click(Form4, (box.Left + box.Right) / 2, (box.Top + box.Bottom) / 2);
            closed = Form4->ModalResult() != mrNone;
        },
    });
    EXPECT_TRUE(closed);
    EXPECT_FALSE(Form4->Visible());
}

TEST_F(Viewer, TextOverTheCapacityGoesToTheErrorBoxOnce) {
    const std::string line(78, 'A');
    std::string big;
    big.reserve(TMemo::Capacity + 80);
    while (big.size() <= TMemo::Capacity) big += line + "\r\n";
    writeNfo(big);
    DialogRecorder dialogs;
    inViewer({[&] {
        EXPECT_TRUE(Form4->Modal());
        EXPECT_EQ(Form4->Memo1->LineCount(), 0);
        EXPECT_EQ(Form4->Caption(), "NFO");
    }});
    ASSERT_EQ(dialogs.Texts(), std::vector<std::string>{"Text exceeds memo capacity."});
    EXPECT_EQ(dialogs.Last().Caption, Application->Title());
    // The program goes on: the next opening loads a file that fits.
    writeNfo("fits");
    inViewer({[&] { EXPECT_EQ(Form4->Caption(), kNfo); }});
    EXPECT_EQ(dialogs.Count(), 1);
    // A huge file whose text ends early at a NUL fits as well.
    EXPECT_EQ(shown("short" + std::string(1, '\0') + big), Lines{"short"});
}

TEST_F(Viewer, CapacityCountsLineBreaksAsTheMemoHoldsThem) {
    // Whole lines of 80 (CR LF included), then a tail that reaches the capacity exactly.
    std::string body;
    while (body.size() + 1000 < TMemo::Capacity) body += std::string(78, 'A') + "\r\n";
    const size_t rest = TMemo::Capacity - body.size();
    const auto B = [](size_t n) { return std::string(n, 'B'); };
    struct Case {
        std::string tail;
        bool fits;
    };
    const Case cases[] = {
        {B(rest), true},
        {B(rest) + "\r\n", true},  // a final line break adds no line
        {B(rest - 3) + "\r\nC", true},
        {B(rest + 1), false},
        {B(rest) + "\r\nC", false},
        {B(rest - 2) + "\nC", false},  // a lone LF becomes CR LF in the memo
    };
    DialogRecorder dialogs;
    int expected = 0;
    for (const Case& k : cases) {
        SCOPED_TRACE(k.tail.size() - rest);
        writeNfo(body + k.tail);
        int lines = -1;
        inViewer({[&] { lines = Form4->Memo1->LineCount(); }});
        if (!k.fits) ++expected;
        EXPECT_EQ(dialogs.Count(), expected);
        EXPECT_EQ(lines, k.fits ? static_cast<int>(body.size() / 80) + 1 +
                                      (k.tail.find('C') != std::string::npos)
                                : 0);
    }
}

TEST_F(Viewer, MemoRefusesTooLongTextsAndKeepsItsOwn) {
    inViewer({[&] {
        TMemo* memo = Form4->Memo1;
        TStringList lines;
        lines.Add(std::string(TMemo::Capacity / 2, 'x'));
        lines.Add(std::string(TMemo::Capacity / 2 - 1, 'y'));  // + CR LF: one too many
        EXPECT_THROW(memo->SetLines(lines), EOutOfResources);
        EXPECT_THROW(memo->SetText(std::string(TMemo::Capacity + 1, 'z')), EOutOfResources);
        EXPECT_EQ(memoLines(), Lines{"Tarnwick"});
    }});
}

TEST_F(Viewer, WhiteFixedWidthTextOnBlackCoveringTheLineDrawing) {
    writeNfo("\xDB\xDB\xDB\xDB\xDB\xDB\r\n\r\n\r\n");
    inViewer({[&] {
        TMemo* memo = Form4->Memo1;
        EXPECT_EQ(memo->Color(), clBlack);
        EXPECT_EQ(memo->Font().Name(), "Terminal");
        EXPECT_EQ(memo->Font().Height(), -11);
        EXPECT_EQ(memo->Font().Color(), clWhite);
        EXPECT_EQ(memo->Font().Charset(), OEM_CHARSET);
        QFont font = EditorOf(*memo)->font();
        QFontInfo info(font);
        EXPECT_EQ(info.family(), "DejaVu Sans Mono");
        EXPECT_TRUE(info.fixedPitch());
        QFontMetrics metrics(font);
        for (int b = 0xB0; b <= 0xDF; ++b) {
            QString ch = QString::fromStdString(OemToUtf8(std::string(1, static_cast<char>(b))));
            EXPECT_TRUE(metrics.inFont(ch[0])) << "byte " << b;
        }
        // Layout: one pixel of the memo lies beyond the client area.
        EXPECT_EQ(Form4->ClientWidth(), 514);
        EXPECT_EQ(Form4->ClientHeight(), 422);
        EXPECT_EQ(memo->Left(), 0);
        EXPECT_EQ(memo->Width(), 515);
        EXPECT_EQ(memo->Height(), 422);
        EXPECT_EQ(Form4->BorderIcons(), unsigned{biSystemMenu});
        EXPECT_TRUE(memo->ReadOnly());
        EXPECT_TRUE(memo->WantTabs());
        EXPECT_TRUE(memo->WordWrap());
        EXPECT_EQ(memo->ScrollBars(), TScrollStyle::ssBoth);

        // Pixels: the full blocks of the first line are white, the empty lines below black.
        QImage image = EditorOf(*memo)->viewport()->grab().toImage();
        int lineHeight = metrics.height();
        int white = 0, black = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                TColor c = PixelAt(image, x, y);
                if (c == clWhite)
                    ++white;
                else if (c == clBlack)
                    ++black;
                else if (y > 2 * lineHeight)
                    ADD_FAILURE() << "pixel " << x << "," << y;
            }
        EXPECT_GT(white, 6 * metrics.horizontalAdvance(QChar(0x2588)) * lineHeight / 2);
        EXPECT_GT(black, image.width() * image.height() / 2);
        EXPECT_EQ(PixelAt(image, image.width() - 3, image.height() - 3), clBlack);
    }});
}

TEST_F(Viewer, ALineWiderThanTheMemoWrapsAtItsWidth) {
    writeNfo(std::string(200, 'W') + "\r\n" + "word " + std::string(90, 'x') + " end\r\n");
    inViewer({[&] {
        QPlainTextEdit* editor = EditorOf(*Form4->Memo1);
        const int width = editor->viewport()->width();
        QTextBlock first = editor->document()->begin();
        ASSERT_GT(first.layout()->lineCount(), 1);
        for (int i = 0; i < first.layout()->lineCount(); ++i)
            EXPECT_LE(first.layout()->lineAt(i).naturalTextWidth(), width);
        // Words break at a blank: the second line keeps "word " on its first row.
        QTextBlock second = first.next();
        ASSERT_GE(second.layout()->lineCount(), 2);
        EXPECT_EQ(second.layout()->lineAt(0).textLength(), 5);
        EXPECT_EQ(editor->horizontalScrollBar()->maximum(), 0);
        EXPECT_EQ(Form4->Memo1->LineCount(), 2);  // still two lines of text
    }});
}

}  // namespace
