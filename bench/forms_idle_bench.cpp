// CPU the main window costs while it stands idle with its marquee and credits scrolling, as
// a share of one core: the process's CPU time over the wall time of the same stretch.
// Measured once with the music playing (the module beside the program, background play
// started as the program starts it) and once without music, each against the floor of
// the toolkit measured in the same run: one window waking to a precise 10 ms timer (the
// rate the credits' 1 ms request gets) and repainting 91 x 15 pixels per tick. Target: at
// most 1.25 times the floor, with music and without.
// QT_SCALE_FACTOR picks the device pixel ratio the windows are drawn at (a high-density
// screen: QT_SCALE_FACTOR=2).
//   forms_idle_bench [seconds]   (default 20 each)
#include <time.h>
#include <unistd.h>

#include <QEventLoop>
#include <QGuiApplication>
#include <QPaintEvent>
#include <QPainter>
#include <QTimer>
#include <QWidget>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>

#include "forms/InstallerWindows.h"
#include "music/tunedll.h"

using namespace testing_support;

namespace {

double Now(clockid_t clock) {
    timespec ts{};
    clock_gettime(clock, &ts);
    return static_cast<double>(ts.tv_sec) + ts.tv_nsec / 1e9;
}

void RunEvents(double seconds) {
    QEventLoop loop;
    QTimer::singleShot(static_cast<int>(seconds * 1000), &loop, &QEventLoop::quit);
    loop.exec();
}

// The CPU share in percent of `seconds` of running events.
double Share(double seconds) {
    double cpu0 = Now(CLOCK_PROCESS_CPUTIME_ID), wall0 = Now(CLOCK_MONOTONIC);
    RunEvents(seconds);
    double cpu = Now(CLOCK_PROCESS_CPUTIME_ID) - cpu0, wall = Now(CLOCK_MONOTONIC) - wall0;
    std::printf("  cpu %.3f s over wall %.3f s: %.2f %% of one core\n", cpu, wall,
                100 * cpu / wall);
    return 100 * cpu / wall;
}

class FloorWindow : public QWidget {
  public:
    FloorWindow() {
        resize(489, 387);
        timer_.setTimerType(Qt::PreciseTimer);
        QObject::connect(&timer_, &QTimer::timeout, this, [this] {
            ++ticks;
            update(0, 0, 91, 15);
        });
        timer_.start(10);
    }
    int ticks = 0;

  protected:
    void paintEvent(QPaintEvent* e) override {
        QPainter(this).fillRect(e->rect(), ticks % 2 ? Qt::black : Qt::white);
    }

  private:
    QTimer timer_;
};

double MeasureFloor(double seconds) {
    FloorWindow window;
    window.show();
    RunEvents(1);
    window.ticks = 0;
    double share = Share(seconds);
    std::printf("  %d ticks\n", window.ticks);
    return share;
}

// Shows the main window, lets it settle, then measures `seconds` of standing idle; with a
// module, the main window plays it. Returns the CPU share in percent.
double Measure(const std::string& module, double seconds) {
    const bool music = !module.empty();
    if (music) {
        TUNEstartup();
        if (!TUNEinit() || !TUNEstartBackgroundPlay(0)) {
            std::printf("  music could not start\n");
            return -1;
        }
    }
    double share = -1;
    {
        std::map<std::string, std::string> files;
        if (music) files["install.dat"] = module;
        InstallerWindows windows(files);
        int creditTicks = 0, marqueeTicks = 0;
        Form1->ScrollText1->OnStep = [&](TObject*) { ++marqueeTicks; };
        Form1->ScrollText2->OnStep = [&](TObject*) { ++creditTicks; };
        Form1->Show();
        RunEvents(1);
        if (music != windows.musicFailures.empty()) {
            std::printf("  unexpected music state (%zu failures)\n", windows.musicFailures.size());
        } else {
            creditTicks = marqueeTicks = 0;
            share = Share(seconds);
            std::printf("  %d marquee ticks, %d credit ticks\n", marqueeTicks, creditTicks);
        }
        Form1->Hide();
    }
    if (music) {
        TUNEstopBackgroundPlay();
        TUNEclose();
    }
    return share;
}

}  // namespace

int main(int argc, char** argv) {
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    std::setlocale(LC_ALL, "C.UTF-8");
    double seconds = argc > 1 ? std::atof(argv[1]) : 20;
    if (seconds <= 0) {
        std::fprintf(stderr, "Usage: forms_idle_bench [seconds]\n");
        return 2;
    }
    auto* app = new TApplication();
    app->Initialize(argc, argv);

    // The module goes beside the program the windows believe they are.
    namespace fs = std::filesystem;
    fs::path bin = fs::read_symlink("/proc/self/exe").parent_path();
    TempDir dir;
    const fs::path made = dir / "install.dat";
    std::string command = "'" + (bin / "modgen").string() + "' '" + made.string() + "'";
    if (std::system(command.c_str()) != 0) {
        std::fprintf(stderr, "modgen failed (build it beside this benchmark)\n");
        return 1;
    }
    const std::string module = ReadFile(made);

    std::printf("device pixel ratio %.2f\n", qApp->devicePixelRatio());
    std::printf("floor: one window, 10 ms precise timer, 91 x 15 repaint per tick, %.0f s:\n",
                seconds);
    double floor = MeasureFloor(seconds);
    std::printf("main window idle %.0f s, music playing:\n", seconds);
    double withMusic = Measure(module, seconds);
    std::printf("main window idle %.0f s, no music:\n", seconds);
    double without = Measure("", seconds);

    constexpr double kTarget = 1.25;
    const double musicRatio = withMusic / floor, plainRatio = without / floor;
    bool ok = floor > 0 && withMusic >= 0 && without >= 0 && musicRatio <= kTarget &&
              plainRatio <= kTarget;
    std::printf(
        "idle main window/floor (%.2f %%): %.2f with music (%.2f %%), %.2f without (%.2f %%); "
        "target at most %.2f in both: %s\n",
        floor, musicRatio, withMusic, plainRatio, without, kTarget, ok ? "met" : "MISSED");
    return ok ? 0 : 1;
}
