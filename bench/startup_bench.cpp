// Start-up time of the installer, from its start to its main window painted, under an Xvfb
// of the benchmark's own. The moment of the first paint is what the X server sees: the
// first damage (the DAMAGE extension) of a mapped top-level window of the program; the
// moment of mapping is printed beside it. The installer comes from a demo medium of one
// disk made by tools/make-medium.
//  - The program started directly from disk 1, against a minimal program of the same
//    toolkit showing one window (no target).
//  - Warm, from the local disk: the medium's launcher disk1/install against the program
//    started directly, the same ratio for a full copy of every file before the start, as
//    the launcher used to make; the launcher may be no slower than the full copy.
//  - Cold, from a slow medium (as root): the medium in an ext4 image on a loop device,
//    reads throttled to 30 MB/s by the block I/O controller, the page cache dropped before
//    each run. The launcher against the full copy; targets for the launcher's time to the
//    painted window and the bytes read from the medium until then (the loop device's
//    statistics). Without root, a loop device or the controller, it says why and fails.
// Runs alternate; best and median of each side.
//   startup_bench [runs]   (default 7; the cold runs are half as many)
#include <X11/Xlib.h>
#include <X11/extensions/Xdamage.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "BenchArchives.h"

namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kTimeoutMs = 30000;
constexpr long kMediumBytesPerSecond = 30'000'000;
constexpr double kColdTargetSeconds = 1.5;
constexpr double kReadTargetBytes = 35e6;

double since(Clock::time_point t0) {
    return std::chrono::duration<double>(Clock::now() - t0).count();
}

bool writeFile(const std::string& path, const std::string& text) {
    std::ofstream out(path);
    out << text;
    return static_cast<bool>(out.flush());
}

std::string readLine(const std::string& path) {
    std::ifstream in(path);
    std::string line;
    std::getline(in, line);
    return line;
}

// Runs a shell command, its output dropped; true when it succeeded.
bool shell(const std::string& command) {
    return std::system((command + " >/dev/null 2>&1").c_str()) == 0;
}

std::string shQuote(const std::string& s) {
    std::string q = "'";
    for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
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

// The medium in an ext4 image on a read-only loop device, mounted, with a control group
// whose reads from that device are throttled. Empty reason() when it is ready.
class SlowMedium {
  public:
    SlowMedium(const std::string& medium, const std::string& work) : mount_(work + "/slow") {
        if (geteuid() != 0) {
            reason_ = "needs root (loop device, mount, control group, dropping the page cache)";
            return;
        }
        const std::string image = work + "/medium.img";
        uintmax_t bytes = 0;
        for (const auto& e : fs::recursive_directory_iterator(medium))
            if (e.is_regular_file()) bytes += e.file_size();
        fs::create_directories(mount_);
        if (!shell("truncate -s " + std::to_string(bytes / 1024 * 5 / 4 + 16384) + "K " +
                   shQuote(image)) ||
            !shell("mkfs.ext4 -q -F -d " + shQuote(medium) + " " + shQuote(image))) {
            reason_ = "mkfs.ext4 could not make an image of the medium";
            return;
        }
        std::FILE* p = popen(("losetup --find --show --read-only " + shQuote(image)).c_str(), "r");
        char line[256] = {};
        if (p) {
            if (!std::fgets(line, sizeof line, p)) line[0] = 0;
            pclose(p);
        }
        device_ = line;
        while (!device_.empty() && device_.back() == '\n') device_.pop_back();
        if (device_.rfind("/dev/loop", 0) != 0) {
            reason_ = "no loop device could be set up (losetup)";
            device_.clear();
            return;
        }
        if (!shell("mount -o ro " + device_ + " " + shQuote(mount_))) {
            reason_ = "the image on " + device_ + " could not be mounted";
            return;
        }
        mounted_ = true;
        stat_ = "/sys/block/" + device_.substr(5) + "/stat";
        const std::string number = readLine("/sys/block/" + device_.substr(5) + "/dev");
        const std::string rate = std::to_string(kMediumBytesPerSecond);
        // The first controller of version 1, else of version 2.
        const std::string v1 = "/sys/fs/cgroup/blkio";
        if (fs::exists(v1 + "/blkio.throttle.read_bps_device")) {
            group_ = v1 + "/startup-bench-" + std::to_string(getpid());
            if (!fs::create_directory(group_) ||
                !writeFile(group_ + "/blkio.throttle.read_bps_device", number + " " + rate)) {
                reason_ = "cannot throttle " + device_ + " in " + group_;
                return;
            }
        } else if (readLine("/sys/fs/cgroup/cgroup.controllers").find("io") != std::string::npos) {
            writeFile("/sys/fs/cgroup/cgroup.subtree_control", "+io");
            group_ = "/sys/fs/cgroup/startup-bench-" + std::to_string(getpid());
            if (!fs::create_directory(group_) ||
                !writeFile(group_ + "/io.max", number + " rbps=" + rate)) {
                reason_ = "cannot throttle " + device_ + " in " + group_ + " (io.max)";
                return;
            }
        } else {
            reason_ = "no block I/O controller (cgroup v1 blkio or v2 io) to throttle reads";
            return;
        }
        if (!writeFile("/proc/sys/vm/drop_caches", "3"))
            reason_ = "cannot drop the page cache (/proc/sys/vm/drop_caches)";
    }
    ~SlowMedium() {
        if (!group_.empty()) rmdir(group_.c_str());
        if (mounted_) shell("umount " + shQuote(mount_));
        if (!device_.empty()) shell("losetup -d " + device_);
    }
    const std::string& Reason() const { return reason_; }
    const std::string& Folder() const { return mount_; }
    const std::string& Device() const { return device_; }
    const std::string Procs() const { return group_ + "/cgroup.procs"; }

    // Empties the page cache, so that every run reads from the medium.
    void DropCaches() const {
        sync();
        writeFile("/proc/sys/vm/drop_caches", "3");
    }
    // Bytes read from the device so far.
    double BytesRead() const {
        std::ifstream in(stat_);
        double ios = 0, merges = 0, sectors = 0;
        in >> ios >> merges >> sectors;
        return sectors * 512;
    }

  private:
    std::string mount_, device_, stat_, group_, reason_;
    bool mounted_ = false;
};

// Where the programs' messages go; shown when a program paints no window.
std::string programLog;

struct Program {
    const char* name;
    std::vector<std::string> argv;
    std::string folder;  // where it starts
    std::vector<std::pair<std::string, std::string>> env;
    std::vector<double> mapped, painted, bytes;
};

// Starts the program, waits for its first paint, then ends it (a launcher removes its
// copy). On a slow medium the page cache is dropped first and the program runs throttled.
bool startOnce(Watcher& watcher, const std::string& display, Program& program,
               const SlowMedium* slow = nullptr) {
    if (slow) slow->DropCaches();
    const double before = slow ? slow->BytesRead() : 0;
    std::fflush(nullptr);
    const Clock::time_point t0 = Clock::now();
    const pid_t pid = fork();
    if (pid < 0) return false;
    if (pid == 0) {
        if (slow && !writeFile(slow->Procs(), std::to_string(getpid()))) _exit(126);
        if (chdir(program.folder.c_str()) != 0) _exit(127);
        const int log = open(programLog.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
        if (log >= 0) {
            dup2(log, 1);
            dup2(log, 2);
            close(log);
        }
        setenv("DISPLAY", display.c_str(), 1);
        setenv("QT_QPA_PLATFORM", "xcb", 1);
        if (!std::getenv("SDL_AUDIODRIVER")) setenv("SDL_AUDIODRIVER", "dummy", 1);
        for (const auto& [key, value] : program.env) setenv(key.c_str(), value.c_str(), 1);
        std::vector<char*> argv;
        for (std::string& a : program.argv) argv.push_back(a.data());
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    const Watcher::Moments m = watcher.WaitForFirstPaint(t0);
    const double read = slow ? slow->BytesRead() - before : 0;
    kill(pid, SIGTERM);
    int status = 0;
    for (int i = 0; i < 200 && waitpid(pid, &status, WNOHANG) == 0; ++i) usleep(50000);
    if (waitpid(pid, &status, WNOHANG) == 0) {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
    }
    watcher.Drain();
    if (m.painted < 0) {
        std::printf("  %s: no window painted within %d s; its last messages:\n", program.name,
                    kTimeoutMs / 1000);
        std::system(("tail -n 20 " + shQuote(programLog) + " >&2").c_str());
        return false;
    }
    program.mapped.push_back(m.mapped);
    program.painted.push_back(m.painted);
    program.bytes.push_back(read);
    return true;
}

void printRuns(const Program& p, bool bytes = false) {
    std::printf("  %-22s painted", p.name);
    for (double t : p.painted) std::printf(" %6.1f", t * 1000);
    std::printf(" ms; best %.1f, median %.1f ms (mapped: median %.1f ms)\n",
                bench::Best(p.painted) * 1000, bench::Median(p.painted) * 1000,
                bench::Median(p.mapped) * 1000);
    if (!bytes) return;
    std::printf("  %-22s read   ", "");
    for (double b : p.bytes) std::printf(" %6.1f", b / 1e6);
    std::printf(" MB before the window\n");
}

// Alternates the programs for the given number of rounds.
bool alternate(Watcher& watcher, const std::string& display, std::vector<Program*> programs,
               int rounds, const SlowMedium* slow = nullptr) {
    for (int run = 0; run < rounds; ++run)
        for (Program* p : programs)
            if (!startOnce(watcher, display, *p, slow)) return false;
    return true;
}

// A full copy of every file the program needs, then the program from the copy in the home
// folder: how the launcher used to start it, kept as the reference.
constexpr const char* kFullCopy = R"sh(#!/bin/sh
disk=$1
copy=$(mktemp -d "${TMPDIR:-/tmp}/full-copy.XXXXXX") || exit 1
trap 'rm -rf -- "$copy"' EXIT
trap 'exit 143' TERM
cd -- "$disk" || exit 1
for f in installer libinstall.so qt.conf install.ini install.dat *.NFO; do
  [ -f "$f" ] && cp -- "$f" "$copy/$f"
done
find lib plugins -type f | while IFS= read -r f; do
  mkdir -p -- "$copy/$(dirname -- "$f")" && cp -- "$f" "$copy/$f" || exit 1
done
ln -s -- "$disk/game.rar" "$copy/game.rar"
cd -- "$HOME" || exit 1
"$copy/installer" </dev/null &
pid=$!
trap 'kill -TERM $pid' TERM
wait $pid
wait $pid
)sh";

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
    // A one-file game with its information file, made into a medium of one disk by the
    // program of this build.
    const std::string work = folder, game = work + "/Tarnwick", nfo = work + "/TARNWICK.NFO";
    const std::string home = work + "/home", tmp = work + "/tmp", fullCopy = work + "/full-copy";
    const std::string runtime = work + "/runtime";
    programLog = work + "/programs.log";
    for (const std::string& f : {game, home, tmp, runtime}) fs::create_directories(f);
    fs::permissions(runtime, fs::perms::owner_all);
    writeFile(game + "/readme.txt", "Tarnwick");
    writeFile(nfo, "Tarnwick\r\n");
    writeFile(fullCopy, kFullCopy);
    const std::string medium = work + "/medium/disk1";
    const std::string make = std::string("'") + MAKE_MEDIUM + "' --appz Tarnwick --nfo '" + nfo +
                             "' --build '" + bin.parent_path().string() + "' '" + game + "' '" +
                             work + "/medium' >/dev/null";
    int status = 1;
    if (std::system(make.c_str()) != 0) {
        std::printf("make-medium failed\n");
        fs::remove_all(work);
        return 1;
    }
    Server server;
    Watcher watcher(server.Display());
    if (server.Display().empty() || !watcher.Ok()) {
        std::printf("no Xvfb with the DAMAGE extension\n");
        fs::remove_all(work);
        return 1;
    }
    const std::string display = server.Display();
    // Started as a file manager starts them: in the disk's folder, a home folder of their
    // own, the copy on the local disk.
    const std::vector<std::pair<std::string, std::string>> env{
        {"HOME", home}, {"TMPDIR", tmp}, {"XDG_RUNTIME_DIR", runtime}};
    auto launcher = [&](const char* name, const std::string& disk) {
        return Program{name, {disk + "/install"}, disk, env, {}, {}, {}};
    };
    auto copying = [&](const char* name, const std::string& disk) {
        return Program{name, {"/bin/sh", fullCopy, disk}, disk, env, {}, {}, {}};
    };
    Program window{"minimal window", {(bin / "minimal_window").string()}, medium, {}, {}, {}, {}};
    Program direct{"installer", {medium + "/installer"}, home, env, {}, {}, {}};
    Program warm = launcher("disk1/install", medium);
    Program warmCopy = copying("full copy", medium);
    bool ok = alternate(watcher, display, {&window, &direct, &warm, &warmCopy}, runs);
    if (ok) {
        std::printf("start to first paint of a mapped window, under Xvfb %s, warm:\n",
                    display.c_str());
        for (const Program* p : {&window, &direct, &warm, &warmCopy}) printRuns(*p);
        std::printf("start-up installer/one window: %.2f (best), %.2f (median); no target\n",
                    bench::Best(direct.painted) / bench::Best(window.painted),
                    bench::Median(direct.painted) / bench::Median(window.painted));
        const double ratio = bench::Median(warm.painted) / bench::Median(direct.painted);
        const double copyRatio = bench::Median(warmCopy.painted) / bench::Median(direct.painted);
        const bool warmMet = ratio <= copyRatio;
        std::printf(
            "warm start through disk1/install/program started directly: %.2f (median %.0f ms); "
            "target <= %.2f, the full copy's (median %.0f ms): %s\n",
            ratio, bench::Median(warm.painted) * 1000, copyRatio,
            bench::Median(warmCopy.painted) * 1000, warmMet ? "met" : "MISSED");

        const SlowMedium slow(work + "/medium", work);
        const std::string what =
            "from a medium read at " + std::to_string(kMediumBytesPerSecond / 1000000) + " MB/s";
        if (!slow.Reason().empty()) {
            std::printf("cold start %s: target <= %.1f s: NOT MEASURED: %s\n", what.c_str(),
                        kColdTargetSeconds, slow.Reason().c_str());
            std::printf("bytes read before the window: target <= %.0f MB: NOT MEASURED\n",
                        kReadTargetBytes / 1e6);
        } else {
            const std::string disk = slow.Folder() + "/disk1";
            Program cold = launcher("disk1/install", disk);
            Program coldCopy = copying("full copy", disk);
            ok = alternate(watcher, display, {&cold, &coldCopy}, (runs + 1) / 2, &slow);
            if (ok) {
                std::printf("cold, %s (%s, page cache dropped before each run):\n", what.c_str(),
                            slow.Device().c_str());
                printRuns(cold, true);
                printRuns(coldCopy, true);
                const double seconds = bench::Median(cold.painted);
                const double bytes = bench::Median(cold.bytes);
                std::printf(
                    "cold start %s: %.2f s (median; full copy %.2f s); target <= %.1f s: %s\n",
                    what.c_str(), seconds, bench::Median(coldCopy.painted), kColdTargetSeconds,
                    seconds <= kColdTargetSeconds ? "met" : "MISSED");
                std::printf(
                    "bytes read before the window: %.1f MB (median; full copy %.1f MB); "
                    "target <= %.0f MB: %s\n",
                    bytes / 1e6, bench::Median(coldCopy.bytes) / 1e6, kReadTargetBytes / 1e6,
                    bytes <= kReadTargetBytes ? "met" : "MISSED");
                if (warmMet && seconds <= kColdTargetSeconds && bytes <= kReadTargetBytes)
                    status = 0;
            }
        }
    }
    fs::remove_all(work);
    return status;
}
