// Whole installations through the real windows: archives made by rar, folders mapped as
// drives, dialogs answered and shell requests recorded through the seams.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <QTimer>
#include <csignal>
#include <filesystem>

#include "forms/InstallerWindows.h"
#include "support/RarFixtures.h"

namespace fs = std::filesystem;
using namespace testing_support;

namespace {

// Steps of one test never run in the next: each test is a new generation.
int generation = 0;

struct Installation : ::testing::Test {
    TempDir root;
    std::unique_ptr<DriveMapScope> drives;
    std::unique_ptr<InstallerWindows> windows;
    std::unique_ptr<seams::ProgramFileScope> program;
    std::unique_ptr<seams::ShellOpenScope> shellOpen;
    std::unique_ptr<seams::DiskSpaceScope> space;
    std::vector<std::string> shell;
    bool holdCleanup = false;  // a test's own chain of steps is still going
    std::string payload, medium, target;
    int volumes = 0;

    void SetUp() override {
        payload = root / "payload";
        medium = root / "medium";
        target = root / "target";
        MakeDirs(medium);
        MakeDirs(target);
        std::string data;
        for (int i = 0; i < 70000; ++i) data += static_cast<char>((i * 2654435761u) >> 24);
        WriteFile(payload + "/DATA/GRAPHICS.DAT", data);
        WriteFile(payload + "/DATA/LEVEL1.MAP",
                  std::string(5000, '#') + "DAMAGE-ME" + std::string(5000, '.'));
        WriteFile(payload + "/EMPTY.DAT", "");
        WriteFile(payload + "/TARNWICK.EXE", "the game");
        RarOptions o;
        o.volumeSize = "20k";
        o.store = true;
        MakeRar(medium + "/game.rar", payload,
                {"DATA/GRAPHICS.DAT", "DATA/LEVEL1.MAP", "EMPTY.DAT", "TARNWICK.EXE"}, o);
        volumes = static_cast<int>(Volumes(medium + "/game.part1.rar").size());
        WriteFile(medium + "/README.TXT", "thanks");
        drives = std::make_unique<DriveMapScope>(
            std::vector<platform::Drive>{MakeDrive('c', root.Path())});
        ASSERT_EQ(platform::SetCurrentDirectory("C:\\target"), 0u);
        shellOpen = std::make_unique<seams::ShellOpenScope>([this](const std::string& p) {
            shell.push_back(p);
            return 42u;
        });
        space =
            std::make_unique<seams::DiskSpaceScope>([](const std::string&, platform::DiskSpace& s) {
                s.FreeBytesAvailableToCaller = s.TotalBytes = s.TotalFreeBytes = 1ull << 32;
                return 0u;
            });
    }
    void TearDown() override {
        ++generation;
        // Let whatever this test left in the queue pass before the windows go.
        WaitUntil([] { return false; }, 50);
        program.reset();
        windows.reset();
        space.reset();
        shellOpen.reset();
    }
    void openWindows(const std::string& reg = "README.TXT", const std::string& files = "") {
        std::string ini =
            "[OPTIONS]\nAPPZ......=Tarnwick\nSIZE......=1\nDIR.......=Tarnwick\n"
            "FILERAR...=game.part1.rar\nNFO.......=T.NFO\nREG.......=" +
            reg +
            "\nSCRTXT....=hi\nFILES.....=" + (files.empty() ? std::to_string(volumes) : files) +
            "\n";
        WriteFile(medium + "/install.ini", ini);
        program.reset();
        windows.reset();
        windows = std::make_unique<InstallerWindows>(
            std::map<std::string, std::string>{{"install.ini", ini}});
        program = std::make_unique<seams::ProgramFileScope>(medium + "/installer");
        InstallOptions = TInstallOptions{};
        LoadInstallOptions(InstallOptions);
    }
    // Main window -> install hot-spot -> directory window -> Install -> extraction window,
    // then the given steps inside it.
    void install(std::vector<std::function<void()>> steps) {
        bool done = false;
        std::vector<std::function<void()>> all = {
            [&] {
                Click(Form1->Label1);
                done = true;
            },
            [] { Form2->SpeedButton1Click(Form2); },
        };
        // A run pumps the event loop, so the next step could come in the middle of it:
        // every step waits until no run is in progress.
        for (auto& step : steps) all.push_back(afterRun(step));
        // Whatever is still open when the steps are done goes away.
        auto released = [this] { return !holdCleanup; };
        all.push_back(when(released, afterRun([] {
                               if (Form5->Modal()) Form5->SpeedButton2Click(Form5);
                           })));
        all.push_back(when(released, afterRun([] {
                               if (Form2->Modal()) Form2->SpeedButton3Click(Form2);
                           })));
        Form1->Show();
        RunSteps(all);
        ASSERT_TRUE(WaitUntil([&] { return done; }, 60000));
        Form1->Hide();
    }
    void extract() { Click(Form5->SpeedButton1); }
    // An empty target that is also the process's current directory again.
    void resetTarget() {
        fs::current_path(root.Path());
        fs::remove_all(target);
        MakeDirs(target);
        ASSERT_EQ(platform::SetCurrentDirectory("C:\\target"), 0u);
    }
    // Runs the step once the condition holds, from whichever loop is current then.
    static std::function<void()> when(std::function<bool()> condition, std::function<void()> step) {
        int mine = generation;
        return [condition, step, mine] {
            if (mine != generation) return;
            if (!condition()) {
                QTimer::singleShot(5, when(condition, step));
                return;
            }
            step();
        };
    }
    static std::function<void()> afterRun(std::function<void()> step) {
        int mine = generation;
        return [step, mine] {
            if (mine != generation) return;
            // Not during a run, nor while a dialog (not one of the five windows) is up.
            TForm* active = Application->ActiveForm();
            bool dialogUp = active && active != Form1 && active != Form2 && active != Form3 &&
                            active != Form4 && active != Form5;
            if (Form5->Running() || dialogUp) {
                QTimer::singleShot(5, afterRun(step));
                return;
            }
            step();
        };
    }
    void expectPayloadInstalled() {
        EXPECT_EQ(ListFiles(target), ListFiles(payload));
        for (const auto& f : ListFiles(payload))
            EXPECT_TRUE(ReadFile(target + "/" + f) == ReadFile(payload + "/" + f)) << f;
    }
};

TEST_F(Installation, TheWholeRoad) {
    openWindows();
    DialogRecorder dialogs;
    std::string captionBefore;
    install({[&] {
        EXPECT_TRUE(Form5->Modal());
        EXPECT_FALSE(Form2->Visible());
        captionBefore = Form5->Caption();
        EXPECT_EQ(Form5->Gauge2->MaxValue(), volumes - 1);
        extract();
    }});
    EXPECT_EQ(captionBefore, "Prepare to Install....");
    expectPayloadInstalled();
    EXPECT_EQ(dialogs.Texts(), (std::vector<std::string>{"Install Completed!"}));
    EXPECT_EQ(dialogs.Last().Caption, "Information");
    EXPECT_EQ(shell, (std::vector<std::string>{"C:\\medium\\README.TXT", "C:\\target"}));
    EXPECT_FALSE(Form5->Visible());
    EXPECT_FALSE(Form2->Modal());
    EXPECT_EQ(Form5->Caption(), "Extracting");
    EXPECT_EQ(Form5->Gauge2->PercentComplete(), 100);
    EXPECT_EQ(Form5->Label2->Caption(), "Archive: game.part" + std::to_string(volumes) + ".rar");
}

TEST_F(Installation, PostInstallFileNoneOrOtherCase) {
    for (auto [reg, expected] : std::vector<std::pair<std::string, std::vector<std::string>>>{
             {"NONE", {"C:\\target"}}, {"none", {"C:\\medium\\none", "C:\\target"}}}) {
        shell.clear();
        resetTarget();
        openWindows(reg);
        DialogRecorder dialogs;
        install({[&] { extract(); }});
        EXPECT_EQ(shell, expected) << reg;
    }
}

TEST_F(Installation, DiskPromptForAMissingVolume) {
    openWindows();
    std::string away = root / "away.rar";
    std::string second = medium + "/game.part2.rar";
    fs::rename(second, away);
    DialogRecorder dialogs([&](const TDialogInfo& d) {
        if (d.Text.rfind("Insert the disk with ", 0) == 0 && dialogs.Count() == 1)
            fs::rename(away, second);
        return mrOk;
    });
    install({[&] { extract(); }});
    ASSERT_GE(dialogs.Count(), 2);
    EXPECT_EQ(dialogs.Dialogs()[0].Text, "Insert the disk with C:\\medium\\game.part2.rar");
    EXPECT_EQ(dialogs.Dialogs()[0].Buttons, (std::vector<std::string>{"OK", "Cancel"}));
    EXPECT_EQ(dialogs.Last().Text, "Install Completed!");
    expectPayloadInstalled();
    // The prompt was a volume call too: the gauge stopped at its maximum.
    EXPECT_EQ(Form5->Gauge2->Progress(), volumes - 1);
}

TEST_F(Installation, OneVolumeKeepsTheVolumeGaugeAtZero) {
    openWindows("NONE", "1");
    DialogRecorder dialogs;
    install({[&] {
        EXPECT_EQ(Form5->Gauge2->MaxValue(), 0);
        extract();
    }});
    EXPECT_EQ(Form5->Gauge2->PercentComplete(), 0);
}

TEST_F(Installation, PerEntryGaugeRangeIsTheEntryBeingUnpacked) {
    openWindows("NONE");
    DialogRecorder dialogs;
    // Per entry: the range in its entry event, then each other range its data events saw.
    std::vector<std::vector<int>> ranges;
    install({[&] {
        auto extracting = Form5->RAR1->OnExtracting;
        Form5->RAR1->OnExtracting = [&, extracting](TObject* s, RARHeaderData& h) {
            extracting(s, h);
            ranges.push_back({Form5->Gauge1->MaxValue()});
        };
        auto data = Form5->RAR1->OnProcessData;
        Form5->RAR1->OnProcessData = [&, data](TObject* s, unsigned char* a, int n, int64_t p) {
            if (ranges.back().back() != Form5->Gauge1->MaxValue())
                ranges.back().push_back(Form5->Gauge1->MaxValue());
            return data(s, a, n, p);
        };
        extract();
    }});
    EXPECT_EQ(ranges, (std::vector<std::vector<int>>{{70000}, {10009}, {0}, {8}}));
}

TEST_F(Installation, CancelDuringTheRun) {
    openWindows();
    DialogRecorder dialogs;
    int entries = 0;
    install({[&] {
        auto extracting = Form5->RAR1->OnExtracting;
        Form5->RAR1->OnExtracting = [&, extracting](TObject* s, RARHeaderData& h) {
            // The user clicks Cancel while the first entry is being unpacked.
            if (++entries == 1) QTimer::singleShot(0, [] { Click(Form5->SpeedButton2); });
            extracting(s, h);
        };
        extract();
    }});
    EXPECT_TRUE(dialogs.Texts().empty());
    EXPECT_TRUE(shell.empty());
    EXPECT_EQ(entries, 1);
    auto files = ListFiles(target);
    ASSERT_EQ(files.size(), 1u);
    EXPECT_TRUE(ReadFile(target + "/" + files[0]) == ReadFile(payload + "/" + files[0]));
    EXPECT_EQ(Form2->Caption(), "Install Aborted!");
    EXPECT_FALSE(Form5->Visible());
}

TEST_F(Installation, CancelBeforeExtractAndThenInstall) {
    openWindows();
    DialogRecorder dialogs;
    holdCleanup = true;
    install({
        [&] {
            Click(Form5->SpeedButton2);
            // Once the extraction window's loop has ended, look and install again.
            QTimer::singleShot(
                0, when([] { return !Form5->Modal(); },
                        [&] {
                            EXPECT_FALSE(Form5->Visible());
                            EXPECT_TRUE(Form2->Visible());
                            EXPECT_EQ(Form2->Caption(), "Install Aborted!");
                            QTimer::singleShot(0, when([] { return Form5->Modal(); },
                                                       [&] {
                                                           extract();
                                                           holdCleanup = false;
                                                       }));
                            Form2->SpeedButton1Click(Form2);  // the new run is not stopped at once
                        }));
        },
    });
    expectPayloadInstalled();
    EXPECT_EQ(dialogs.Texts(), (std::vector<std::string>{"Install Completed!"}));
}

TEST_F(Installation, InstallWhileACancelledRunFinishesItsEntryWaitsForIt) {
    openWindows();
    DialogRecorder dialogs;
    holdCleanup = true;
    int entries = 0;
    bool refused = false;
    install({[&] {
        auto extracting = Form5->RAR1->OnExtracting;
        Form5->RAR1->OnExtracting = [&, extracting](TObject* s, RARHeaderData& h) {
            if (++entries == 1)
                QTimer::singleShot(0, [&] {
                    Click(Form5->SpeedButton2);
                    Click(Form2->SpeedButton1);  // the run is still unpacking the entry
                    refused =
                        Form5->Running() && Form2->Visible() && !Form2->SpeedButton1->Enabled();
                });
            extracting(s, h);
        };
        extract();
        QTimer::singleShot(0, when([] { return !Form5->Modal(); },
                                   [&, extracting] {
                                       EXPECT_TRUE(Form2->SpeedButton1->Enabled());
                                       Form5->RAR1->OnExtracting = extracting;
                                       QTimer::singleShot(0, when([] { return Form5->Modal(); },
                                                                  [&] {
                                                                      extract();
                                                                      holdCleanup = false;
                                                                  }));
                                       Click(Form2->SpeedButton1);
                                   }));
    }});
    EXPECT_TRUE(refused);
    expectPayloadInstalled();
    EXPECT_EQ(dialogs.Texts(), (std::vector<std::string>{"Install Completed!"}));
}

TEST_F(Installation, CancelOnADiskPromptEndsTheInstallation) {
    openWindows();
    fs::remove(medium + "/game.part2.rar");
    int prompts = 0;
    DialogRecorder dialogs([&](const TDialogInfo& d) {
        if (d.Text.rfind("Insert the disk", 0) == 0) {
            ++prompts;
            return prompts < 3 ? mrOk : mrCancel;  // OK twice, the disk never comes
        }
        return mrOk;
    });
    install({[&] { extract(); }});
    EXPECT_EQ(prompts, 3) << ::testing::PrintToString(dialogs.Texts());
    EXPECT_EQ(dialogs.Count(), 3);
    EXPECT_TRUE(shell.empty());
    EXPECT_EQ(Form2->Caption(), "Install Aborted!");
}

TEST_F(Installation, FailedRunsAreNotReportedAsComplete) {
    std::string deep;
    auto enterDeepTarget = [&](size_t length) {
        deep = MakeDeepDir(target, length);
        ASSERT_EQ(platform::SetCurrentDirectory(platform::FromNative(deep)), 0u);
    };
    struct Case {
        const char* name;
        std::function<void()> arrange;
        const char* reason;
    };
    std::vector<Case> cases = {
        {"damaged entry",
         [&] {
             for (const auto& v : Volumes(medium + "/game.part1.rar"))
                 if (ReadFile(v).find("DAMAGE-ME") != std::string::npos) CorruptAt(v, "DAMAGE-ME");
         },
         "the archive is damaged"},
        {"cannot create", [&] { WriteFile(target + "/DATA", "in the way"); },
         "a file could not be created in the target directory"},
        // Paths the library would cut short: some entries, or all before the archive opens.
        {"names too long", [&] { enterDeepTarget(2030); },
         "a file could not be created in the target directory"},
        {"target too long", [&] { enterDeepTarget(2046); },
         "a file could not be created in the target directory"},
        {"no entry in the archive",
         [&] {
             for (const auto& v : Volumes(medium + "/game.part1.rar")) fs::remove(v);
             MakeRar(medium + "/game.part1.rar", payload, {"TARNWICK.EXE"});
             DropRar5Files(medium + "/game.part1.rar");
         },
         "the archive holds no files"},
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.name);
        resetTarget();
        deep.clear();
        for (const auto& v : Volumes(medium + "/game.part1.rar")) fs::remove(v);
        RarOptions o;
        o.volumeSize = "20k";
        o.store = true;
        MakeRar(medium + "/game.rar", payload,
                {"DATA/GRAPHICS.DAT", "DATA/LEVEL1.MAP", "EMPTY.DAT", "TARNWICK.EXE"}, o);
        c.arrange();
        openWindows();
        shell.clear();
        DialogRecorder dialogs;
        holdCleanup = true;  // the clean-up's Cancel would close the window under the check
        install({[&] {
            extract();
            EXPECT_TRUE(Form5->Visible());  // the user may retry or cancel
            EXPECT_TRUE(Form5->SpeedButton1->Enabled());
            holdCleanup = false;
        }});
        ASSERT_EQ(dialogs.Count(), 1);
        EXPECT_EQ(dialogs.Last().Caption, "Warning");
        EXPECT_NE(dialogs.Last().Text.find(c.reason), std::string::npos) << dialogs.Last().Text;
        EXPECT_TRUE(shell.empty());
        // Whatever was written has its full name inside the target.
        std::vector<std::string> payloadFiles = ListFiles(payload);
        for (const auto& f : deep.empty() ? std::vector<std::string>{} : ListFiles(target))
            EXPECT_TRUE(std::count(payloadFiles.begin(), payloadFiles.end(),
                                   f.substr(std::min(f.size(), deep.size() - target.size()))) == 1)
                << f;
    }
}

TEST_F(Installation, FullDiskIsAFailure) {
    openWindows();
    DialogRecorder dialogs;
    // The disk "fills up" at 16 KB: writes beyond it fail as on a full disk.
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, SIG_IGN);
    install({[&] {
        rlimit small{16384, saved.rlim_max};
        setrlimit(RLIMIT_FSIZE, &small);
        extract();
        setrlimit(RLIMIT_FSIZE, &saved);
    }});
    setrlimit(RLIMIT_FSIZE, &saved);
    ASSERT_EQ(dialogs.Count(), 1);
    EXPECT_EQ(dialogs.Last().Text.rfind("Install failed: ", 0), 0u) << dialogs.Last().Text;
    EXPECT_TRUE(shell.empty());
}

TEST_F(Installation, MissingArchiveWarnsAndLeavesTheWindowUsable) {
    for (const auto& v : Volumes(medium + "/game.part1.rar")) fs::remove(v);
    openWindows();
    DialogRecorder dialogs;
    holdCleanup = true;
    install({[&] {
        extract();
        EXPECT_TRUE(Form5->Visible());
        EXPECT_TRUE(Form5->SpeedButton1->Enabled());
        EXPECT_TRUE(Form5->SpeedButton2->Enabled());
        holdCleanup = false;
    }});
    EXPECT_EQ(dialogs.Texts(), (std::vector<std::string>{"Can`t load file game.part1.rar"}));
    EXPECT_TRUE(shell.empty());
}

TEST_F(Installation, VolumeCountThatIsNotANumber) {
    for (auto [files, text] : std::vector<std::pair<std::string, std::string>>{
             {"x", "'x' is not a valid integer value."},
             {"0", "Value must be between 1 and 2147483647."}}) {
        openWindows("NONE", files);
        DialogRecorder dialogs;
        install({[] {}});
        ASSERT_EQ(dialogs.Count(), 1) << files;
        EXPECT_EQ(dialogs.Last().Text, text);
    }
}

TEST(LastComponent, OnlyTheBackslashSeparates) {
    EXPECT_EQ(TForm5::fmtNome("C:\\Games\\game.part2.rar"), "game.part2.rar");
    EXPECT_EQ(TForm5::fmtNome("game.rar"), "game.rar");
    EXPECT_EQ(TForm5::fmtNome("C:\\dir/with/slash"), "dir/with/slash");
    EXPECT_EQ(TForm5::fmtNome("C:\\Games\\"), "");
    EXPECT_EQ(TForm5::fmtNome(std::string("C:\\a\\b\0\\c", 9)), "b");
}

}  // namespace
