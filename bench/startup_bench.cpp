// Start-up time of the installer, from its start to its main window painted, against a
// minimal program of the same toolkit showing one window, both started the same way under
// an Xvfb of the benchmark's own. The moment of the first paint is what the X server sees:
// the first damage (the DAMAGE extension) of a mapped top-level window of the program; the
// moment of mapping is printed beside it. The installer runs from a demo medium made by
// tools/make-medium. Runs alternate; best and median of each side. No target: the figures
// are for reading.
//   startup_bench [runs]   (default 7)
#include <X11/Xlib.h>
#include <X11/extensions/Xdamage.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "BenchArchives.h"

namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kTimeoutMs = 30000;

double since(Clock::time_point t0) {
    return std::chrono::duration<double>(Clock::now() - t0).count();
}

// An Xvfb of our own on a free display, ended with the benchmark.
class Server {
  public:
    Server() {
        int fds[2];
        if (pipe(fds) != 0) return;
        pid_ = fork();
        if (pid_ == 0) {
            close(fds[0]);
            const std::string fd = std::to_string(fds[1]);
            execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1024x768x24",
                   "-nolisten", "tcp", static_cast<char*>(nullptr));
            _exit(127);
        }
        close(fds[1]);
        std::string number;
        char c;
        pollfd p{fds[0], POLLIN, 0};
        while (poll(&p, 1, kTimeoutMs) > 0 && read(fds[0], &c, 1) == 1 && c != '\n') number += c;
        close(fds[0]);
        if (!number.empty()) display_ = ":" + number;
    }
    ~Server() {
        if (pid_ <= 0) return;
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
    }
    const std::string& Display() const { return display_; }

  private:
    pid_t pid_ = -1;
    std::string display_;
};

int ignoreErrors(Display*, XErrorEvent*) {
    return 0;
}

// Watches the server for new top-level windows and their first damage once mapped.
class Watcher {
  public:
    explicit Watcher(const std::string& name) : dpy_(XOpenDisplay(name.c_str())) {
        if (!dpy_) return;
        XSetErrorHandler(ignoreErrors);
        int error = 0;
        if (!XDamageQueryExtension(dpy_, &damageEvent_, &error)) {
            XCloseDisplay(dpy_);
            dpy_ = nullptr;
            return;
        }
        XSelectInput(dpy_, DefaultRootWindow(dpy_), SubstructureNotifyMask);
        XSync(dpy_, False);
    }
    ~Watcher() {
        if (dpy_) XCloseDisplay(dpy_);
    }
    bool Ok() const { return dpy_ != nullptr; }

    struct Moments {
        double mapped = -1, painted = -1;
    };

    // Seconds from t0 until a top-level window was mapped and until it was first drawn to.
    Moments WaitForFirstPaint(Clock::time_point t0) {
        Moments m;
        std::set<Window> mapped;
        while (m.painted < 0 && since(t0) * 1000 < kTimeoutMs) {
            if (!XPending(dpy_)) {
                pollfd p{ConnectionNumber(dpy_), POLLIN, 0};
                poll(&p, 1, 100);
                continue;
            }
            XEvent e;
            XNextEvent(dpy_, &e);
            if (e.type == CreateNotify) {
                // Before the window can be mapped, so no drawing is missed.
                XDamageCreate(dpy_, e.xcreatewindow.window, XDamageReportNonEmpty);
                XFlush(dpy_);
            } else if (e.type == MapNotify) {
                mapped.insert(e.xmap.window);
                if (m.mapped < 0) m.mapped = since(t0);
            } else if (e.type == damageEvent_ + XDamageNotify) {
                const auto& d = reinterpret_cast<const XDamageNotifyEvent&>(e);
                if (mapped.count(d.drawable))
                    m.painted = since(t0);
                else
                    XDamageSubtract(dpy_, d.damage, None, None);
            }
        }
        return m;
    }

    // Drops what is left of a finished program's windows.
    void Drain() {
        XSync(dpy_, False);
        while (XPending(dpy_)) {
            XEvent e;
            XNextEvent(dpy_, &e);
        }
    }

  private:
    Display* dpy_;
    int damageEvent_ = 0;
};

struct Program {
    const char* name;
    std::string path;
    std::vector<double> mapped, painted;
};

// Starts the program in the medium folder, waits for its first paint, then ends it.
bool startOnce(Watcher& watcher, const std::string& display, const std::string& medium,
               Program& program) {
    std::fflush(nullptr);
    const Clock::time_point t0 = Clock::now();
    const pid_t pid = fork();
    if (pid < 0) return false;
    if (pid == 0) {
        if (chdir(medium.c_str()) != 0) _exit(127);
        setenv("DISPLAY", display.c_str(), 1);
        setenv("QT_QPA_PLATFORM", "xcb", 1);
        if (!std::getenv("SDL_AUDIODRIVER")) setenv("SDL_AUDIODRIVER", "dummy", 1);
        execl(program.path.c_str(), program.path.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    const Watcher::Moments m = watcher.WaitForFirstPaint(t0);
    kill(pid, SIGTERM);
    int status = 0;
    for (int i = 0; i < 100 && waitpid(pid, &status, WNOHANG) == 0; ++i) usleep(50000);
    if (waitpid(pid, &status, WNOHANG) == 0) {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
    }
    watcher.Drain();
    if (m.painted < 0) {
        std::printf("  %s: no window painted within %d s\n", program.name, kTimeoutMs / 1000);
        return false;
    }
    program.mapped.push_back(m.mapped);
    program.painted.push_back(m.painted);
    return true;
}

void printRuns(const Program& p) {
    std::printf("  %-15s painted", p.name);
    for (double t : p.painted) std::printf(" %6.1f", t * 1000);
    std::printf(" ms; best %.1f, median %.1f ms (mapped: median %.1f ms)\n",
                bench::Best(p.painted) * 1000, bench::Median(p.painted) * 1000,
                bench::Median(p.mapped) * 1000);
}

}  // namespace

int main(int argc, char** argv) {
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    const int runs = argc > 1 ? std::atoi(argv[1]) : 7;
    if (runs < 1) {
        std::fprintf(stderr, "Usage: startup_bench [runs]\n");
        return 2;
    }
    const fs::path bin = fs::read_symlink("/proc/self/exe").parent_path();
    char folder[] = "/tmp/startup-bench-XXXXXX";
    if (!mkdtemp(folder)) return 1;
    // A one-file game with its information file, made into a medium by the program of this
    // build; the installer starts from disk 1.
    const std::string work = folder, game = work + "/Tarnwick", nfo = work + "/TARNWICK.NFO";
    fs::create_directories(game);
    for (const auto& [path, text] :
         {std::pair{game + "/readme.txt", "Tarnwick"}, std::pair{nfo, "Tarnwick\r\n"}})
        if (FILE* f = std::fopen(path.c_str(), "wb")) {
            std::fputs(text, f);
            std::fclose(f);
        }
    const std::string medium = work + "/medium/disk1";
    const std::string make = std::string("'") + MAKE_MEDIUM + "' --appz Tarnwick --nfo '" + nfo +
                             "' --build '" + bin.parent_path().string() + "' '" + game + "' '" +
                             work + "/medium' >/dev/null";
    int status = 1;
    if (std::system(make.c_str()) != 0) {
        std::printf("make-medium failed\n");
    } else {
        Server server;
        Watcher watcher(server.Display());
        if (server.Display().empty() || !watcher.Ok()) {
            std::printf("no Xvfb with the DAMAGE extension\n");
        } else {
            Program installer{"installer", medium + "/installer", {}, {}};
            Program window{"minimal window", (bin / "minimal_window").string(), {}, {}};
            bool ok = true;
            for (int run = 0; run < runs && ok; ++run)
                ok = startOnce(watcher, server.Display(), medium, window) &&
                     startOnce(watcher, server.Display(), medium, installer);
            if (ok) {
                std::printf("start to first paint of a mapped window, under Xvfb %s:\n",
                            server.Display().c_str());
                printRuns(window);
                printRuns(installer);
                std::printf(
                    "start-up installer/one window: %.2f (best), %.2f (median); no "
                    "target\n",
                    bench::Best(installer.painted) / bench::Best(window.painted),
                    bench::Median(installer.painted) / bench::Median(window.painted));
                status = 0;
            }
        }
    }
    fs::remove_all(work);
    return status;
}
