// The whole installation through the real windows (offscreen) against the unrar program on
// the same archive, in the same run: main window, install hot-spot, directory window,
// Install, Extract in the extraction window, the completion message answered through the
// dialog seam and the shell requests recorded through the shell seam. Two media: one
// multi-volume archive of 256 MiB in a few large files, and one of 20,000 small files,
// where the windows' work per entry (captions, gauges, message processing) shows most.
// Runs alternate; the best of each side is compared. Targets: at most 1.03 and 1.10.
// The folders are temporary ones (TMPDIR): TMPDIR=/dev/shm leaves the disk out of it.
#include <QTimer>
#include <chrono>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>

#include "BenchArchives.h"
#include "forms/InstallerWindows.h"

namespace fs = std::filesystem;
using namespace testing_support;

namespace {

constexpr int kRuns = 5;
constexpr int kTimeoutMs = 300000;  // per installation
using Clock = std::chrono::steady_clock;

struct Medium {
    const char* title;
    bench::ArchiveInfo archive;
    double target;
};

// Runs the step once the condition holds, from whichever loop is current then.
std::function<void()> when(std::function<bool()> condition, std::function<void()> step) {
    return [condition, step] {
        if (!condition()) {
            QTimer::singleShot(1, when(condition, step));
            return;
        }
        step();
    };
}

// The form runs its own loop and has the activation: it takes input now.
bool upAndActive(TForm* form) {
    return form->Modal() && form->Visible() && Application->ActiveForm() == form;
}

// The medium's settings: no post-install file, so the shell opens the target only.
std::string settings(const bench::ArchiveInfo& archive) {
    return "[OPTIONS]\r\n"
           "APPZ......=Tarnwick\r\n"
           "SIZE......=1\r\n"
           "DIR.......=Tarnwick\r\n"
           "FILERAR...=" +
           fs::path(archive.firstVolume).filename().string() +
           "\r\n"
           "NFO.......=TARNWICK.NFO\r\n"
           "REG.......=NONE\r\n"
           "SCRTXT....=Welcome\r\n"
           "FILES.....=" +
           std::to_string(archive.volumes) + "\r\n";
}

class Installation {
  public:
    explicit Installation(std::string root)
        : root_(std::move(root)), shellOpen_([this](const std::string& path) {
              shell_.push_back(path);
              return 42u;
          }) {}

    // One installation of the archive into C:\target, as a user makes it with fresh windows.
    // Returns the seconds from the click on the install hot-spot until the installation has
    // finished (both windows closed, the completion message answered, the shell asked);
    // false when it did not end as a completed installation.
    bool Run(const bench::ArchiveInfo& archive, double& seconds) {
        const std::string medium = fs::path(archive.firstVolume).parent_path().string();
        bench::Empty(root_ + "/target");
        fs::current_path(root_);
        platform::SetCurrentDirectory("C:\\target");
        const std::string ini = settings(archive);
        WriteFile(medium + "/install.ini", ini);
        auto windows = std::make_unique<InstallerWindows>(
            std::map<std::string, std::string>{{"install.ini", ini}});
        // The settings and the archive are the medium's: the program sits beside them.
        seams::ProgramFileScope program(medium + "/installer");
        InstallOptions = TInstallOptions{};
        LoadInstallOptions(InstallOptions);

        bool done = false;
        Clock::time_point start, extractClick, completedMessage, end;
        DialogRecorder dialogs([&](const TDialogInfo& d) {
            if (d.Text == "Install Completed!") completedMessage = Clock::now();
            return d.Results.front();
        });
        shell_.clear();
        QTimer watchdog;
        watchdog.setSingleShot(true);
        Form1->Show();
        seconds = bench::TimeRun([&] {
            start = Clock::now();
            RunSteps({
                [&] {
                    Click(Form1->Label1);  // returns when the directory window's loop ends
                    end = Clock::now();
                    done = true;
                },
                when([] { return upAndActive(Form2); },
                     [] { Click(Form2->SpeedButton1); }),  // Install
                when([] { return upAndActive(Form5); },
                     [&] {
                         extractClick = Clock::now();
                         Click(Form5->SpeedButton1);  // Extract
                     }),
            });
            // An installation that never finishes ends as a failure, not as a hang.
            watchdog.callOnTimeout([] {
                if (Form5->Modal()) Form5->SpeedButton2Click(Form5);
                if (Form2->Modal()) Form2->SpeedButton3Click(Form2);
            });
            watchdog.start(kTimeoutMs);
            WaitUntil([&] { return done; }, 2 * kTimeoutMs);
        });
        if (done) {
            seconds = secondsBetween(start, end);
            phases.push_back({secondsBetween(start, extractClick),
                              secondsBetween(extractClick, completedMessage),
                              secondsBetween(completedMessage, end)});
        }
        Form1->Hide();
        // Whatever the windows left in the queue passes before they go.
        WaitUntil([] { return false; }, 50);
        windows.reset();
        const bool completed = done &&
                               dialogs.Texts() == std::vector<std::string>{"Install Completed!"} &&
                               shell_ == std::vector<std::string>{"C:\\target"};
        if (!completed) {
            std::printf("  installation not completed; messages:\n");
            for (const auto& text : dialogs.Texts()) std::printf("    %s\n", text.c_str());
        }
        return completed;
    }

    // Per completed run: up to the Extract click, the run until the completion message, the
    // rest (closing windows, the shell).
    struct Phases {
        double windows, extraction, finish;
    };
    std::vector<Phases> phases;

  private:
    static double secondsBetween(Clock::time_point a, Clock::time_point b) {
        return std::chrono::duration<double>(b - a).count();
    }

    std::string root_;
    std::vector<std::string> shell_;
    seams::ShellOpenScope shellOpen_;
};

void printRuns(const char* name, const std::vector<double>& s) {
    std::printf("  %-13s", name);
    for (double t : s) std::printf(" %7.3f s", t);
    std::printf("   best %.3f s, median %.3f s\n", bench::Best(s), bench::Median(s));
}

}  // namespace

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    std::setvbuf(stdout, nullptr, _IOLBF, 0);  // figures as they come, also into a pipe
    // Names go through the process locale: it must be a UTF-8 one.
    if (!std::setlocale(LC_ALL, "C.UTF-8")) std::setlocale(LC_ALL, "");
    auto* application = new TApplication();
    application->Initialize(argc, argv);

    TempDir root;
    const std::string medium = root / "medium", byUnrar = root / "unrar", target = root / "target";
    for (const auto& d : {medium, byUnrar, target}) MakeDirs(d);
    DriveMapScope drives({MakeDrive('c', root.Path())});

    std::printf("work folder on %s\n", bench::FileSystemOf(root.Path()).c_str());
    std::vector<Medium> media;
    double making = bench::TimeRun([&] {
        media.push_back({"256 MiB in large files",
                         bench::MakeLargeArchive(medium, "tarnwick", 256ull << 20), 1.03});
        media.push_back(
            {"20,000 small files", bench::MakeSmallFilesArchive(medium, "small", 20000), 1.10});
    });
    std::printf("archives made in %.1f s\n", making);

    Installation installation(root.Path());
    bool allGood = true;
    for (const Medium& m : media) {
        const bench::ArchiveInfo& a = m.archive;
        std::printf("%s: %zu files, %.1f MiB in %d volumes\n", m.title, a.files,
                    a.bytes / 1048576.0, a.volumes);
        if (a.volumes < 1) return 1;
        std::vector<double> unrarTimes, installTimes;
        bool completed = true;
        for (int run = 0; run < kRuns; ++run) {
            bench::Empty(byUnrar);
            double t = 0;
            if (!bench::TimeUnrar(a.firstVolume, byUnrar, t)) {
                std::printf("unrar failed\n");
                return 1;
            }
            unrarTimes.push_back(t);
            completed = installation.Run(a, t) && completed;
            installTimes.push_back(t);
        }
        printRuns("unrar", unrarTimes);
        printRuns("installation", installTimes);
        std::printf("  installation phases (windows up to Extract / extraction / finish):");
        for (const auto& p : installation.phases)
            std::printf("  %.3f/%.3f/%.3f", p.windows, p.extraction, p.finish);
        std::printf(" s\n");
        installation.phases.clear();
        const bench::TreeTotals expected{a.files, a.bytes};
        const bench::TreeTotals fromUnrar = bench::Totals(byUnrar),
                                installed = bench::Totals(target);
        const bool complete = completed && fromUnrar == expected && installed == expected &&
                              bench::SameTrees(byUnrar, target);
        std::printf(
            "  unpacked: unrar %zu files %llu bytes, installation %zu files %llu bytes: %s\n",
            fromUnrar.files, static_cast<unsigned long long>(fromUnrar.bytes), installed.files,
            static_cast<unsigned long long>(installed.bytes),
            complete ? "complete and identical" : "MISMATCH or installation not completed");
        const double best = bench::Best(installTimes) / bench::Best(unrarTimes);
        const double median = bench::Median(installTimes) / bench::Median(unrarTimes);
        std::printf(
            "  ratio installation/unrar: %.3f (best), %.3f (median); target at most %.2f: %s\n",
            best, median, m.target, best <= m.target ? "met" : "MISSED");
        allGood = allGood && complete && best <= m.target;
    }
    return allGood ? 0 : 1;
}
