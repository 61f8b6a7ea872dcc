// CPU the music library spends playing the installer's module in the background, as a share
// of one core: the process's CPU time over the wall time of the same run. Target: at most 2 %.
// Runs once through SDL (the driver SDL_AUDIODRIVER names, dummy by default) and once through
// the silent output the library falls back to without sound.
//   tune_cpu_bench [seconds]   (default 20 each)
#include <stdlib.h>
#include <time.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>

#include "music/tunedll.h"

namespace {

double Now(clockid_t clock) {
    timespec ts{};
    clock_gettime(clock, &ts);
    return static_cast<double>(ts.tv_sec) + ts.tv_nsec / 1e9;
}

// Plays the module in a loop for `seconds`; returns the CPU share in percent, or -1.
double Measure(const std::string& module, double seconds) {
    double cpu0 = Now(CLOCK_PROCESS_CPUTIME_ID), wall0 = Now(CLOCK_MONOTONIC);
    TUNEstartup();
    TUNEhandle play = 0;
    if (TUNEinit() && TUNEstartBackgroundPlay(0)) {
        TUNEhandle handle = TUNEloadModule(module.c_str());
        TUNEmoduleInfo info;
        if (handle && TUNEgetModuleInfo(handle, &info)) play = TUNEplayModule(handle, 1);
    }
    if (!play) {
        std::printf("failed: %s\n", TUNEgetErrorMessage(TUNEgetLastError()));
        TUNEclose();
        return -1;
    }
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    TUNEstopBackgroundPlay();
    TUNEclose();
    double cpu = Now(CLOCK_PROCESS_CPUTIME_ID) - cpu0, wall = Now(CLOCK_MONOTONIC) - wall0;
    std::printf("  cpu %.3f s over wall %.3f s: %.2f %% of one core\n", cpu, wall,
                100 * cpu / wall);
    return 100 * cpu / wall;
}

}  // namespace

int main(int argc, char** argv) {
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    double seconds = argc > 1 ? std::atof(argv[1]) : 20;
    if (seconds <= 0) {
        std::fprintf(stderr, "Usage: tune_cpu_bench [seconds]\n");
        return 2;
    }
    namespace fs = std::filesystem;
    fs::path bin = fs::read_symlink("/proc/self/exe").parent_path();
    std::string dir = (fs::temp_directory_path() / "tune-bench-XXXXXX").string();
    if (!mkdtemp(dir.data())) return 1;
    std::string module = dir + "/install.dat";
    std::string command = "'" + (bin / "modgen").string() + "' '" + module + "'";
    if (std::system(command.c_str()) != 0) {
        std::fprintf(stderr, "modgen failed (build it beside this benchmark)\n");
        fs::remove_all(dir);
        return 1;
    }

    const char* driver = std::getenv("SDL_AUDIODRIVER");
    std::string sdlDriver = driver && *driver ? driver : "dummy";
    setenv("SDL_AUDIODRIVER", sdlDriver.c_str(), 1);
    std::printf("SDL driver %s, %.0f s of the looping module:\n", sdlDriver.c_str(), seconds);
    double sdl = Measure(module, seconds);
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    std::printf("silent output, %.0f s of the looping module:\n", seconds);
    double silent = Measure(module, seconds);
    fs::remove_all(dir);

    const bool ok = sdl >= 0 && silent >= 0 && sdl <= 2 && silent <= 2;
    std::printf(
        "music alone: %.2f %% (SDL), %.2f %% (silent) of one core; target at most 2 %%: %s\n", sdl,
        silent, ok ? "met" : "MISSED");
    return ok ? 0 : 1;
}
