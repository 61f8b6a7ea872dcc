#include "BenchInstallation.h"

#include <QTimer>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>

#include "forms/InstallerWindows.h"

namespace fs = std::filesystem;
using namespace testing_support;

namespace bench {

namespace {

constexpr int kTimeoutMs = 300000;  // per installation
using Clock = std::chrono::steady_clock;

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
std::string settings(const ArchiveInfo& archive) {
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

double secondsBetween(Clock::time_point a, Clock::time_point b) {
    return std::chrono::duration<double>(b - a).count();
}

}  // namespace

Installation::Installation(std::string root)
    : root_(std::move(root)), shellOpen_([this](const std::string& path) {
          shell_.push_back(path);
          return 42u;
      }) {}

Installation::~Installation() = default;

bool Installation::Run(const ArchiveInfo& archive, double& seconds) {
    const std::string medium = fs::path(archive.firstVolume).parent_path().string();
    Empty(root_ + "/target");
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
    seconds = TimeRun([&] {
        start = Clock::now();
        RunSteps({
            [&] {
                Click(Form1->Label1);  // returns when the directory window's loop ends
                end = Clock::now();
                done = true;
            },
            when([] { return upAndActive(Form2); }, [] { Click(Form2->SpeedButton1); }),  // Install
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

}  // namespace bench
