// Peak memory of a whole installation through the real windows (offscreen) of 256 MiB in 4
// volumes, in a process of its own, against `unrar x` of the same archive, and for scale
// against a minimal program of the same toolkit showing one window. Each figure is the peak
// resident set of the child process from wait4's resource usage. No target: the figures are
// for reading.
//   forms_memory_bench
//   forms_memory_bench --install ROOT FIRST-VOLUME VOLUMES   (one installation, as a child)
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "BenchArchives.h"
#include "BenchInstallation.h"
#include "forms/InstallerWindows.h"

namespace fs = std::filesystem;
using namespace testing_support;

namespace {

constexpr int kRuns = 3;

int installOnce(int argc, char** argv) {
    const std::string root = argv[2];
    bench::ArchiveInfo archive;
    archive.firstVolume = argv[3];
    archive.volumes = std::atoi(argv[4]);
    auto* application = new TApplication();
    application->Initialize(argc, argv);
    DriveMapScope drives({MakeDrive('c', root)});
    bench::Installation installation(root);
    double seconds = 0;
    return installation.Run(archive, seconds) ? 0 : 1;
}

// A child's peak starts from the resident set of the process it was forked from: this one.
double ownResidentMiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0) return std::atof(line.c_str() + 6) / 1024;
    return 0;
}

void printRuns(const char* name, const std::vector<double>& kib) {
    std::printf("  %-13s", name);
    for (double k : kib) std::printf(" %8.1f MiB", k / 1024);
    std::printf("   median %.1f MiB\n", bench::Median(kib) / 1024);
}

}  // namespace

int main(int argc, char** argv) {
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    if (!std::setlocale(LC_ALL, "C.UTF-8")) std::setlocale(LC_ALL, "");
    if (argc == 5 && std::strcmp(argv[1], "--install") == 0) return installOnce(argc, argv);
    if (argc != 1) {
        std::fprintf(stderr, "Usage: forms_memory_bench\n");
        return 2;
    }

    const fs::path self = fs::read_symlink("/proc/self/exe");
    TempDir root;
    const std::string medium = root / "medium", byUnrar = root / "unrar", target = root / "target";
    for (const auto& d : {medium, byUnrar, target}) MakeDirs(d);
    const std::string fileSystem = bench::FileSystemOf(root.Path());
    std::printf("work folder on %s\n", fileSystem.c_str());
    const bench::ArchiveInfo a = bench::MakeLargeArchive(medium, "tarnwick", 256ull << 20);
    if (a.volumes < 1) return 1;
    std::printf("archive: %zu files, %.1f MiB in %d volumes\n", a.files, a.bytes / 1048576.0,
                a.volumes);

    std::vector<double> unrar, installation, window;
    bool ok = true;
    for (int run = 0; run < kRuns; ++run) {
        bench::Empty(byUnrar);
        bench::ChildUsage u =
            bench::RunChild({"/usr/bin/unrar", "x", "-idq", "-o+", a.firstVolume, byUnrar + "/"});
        unrar.push_back(static_cast<double>(u.peakKiB));
        bench::ChildUsage i = bench::RunChild(
            {self.string(), "--install", root.Path(), a.firstVolume, std::to_string(a.volumes)});
        installation.push_back(static_cast<double>(i.peakKiB));
        bench::ChildUsage w =
            bench::RunChild({(self.parent_path() / "minimal_window").string(), "--until-painted"});
        window.push_back(static_cast<double>(w.peakKiB));
        ok = ok && u.status == 0 && i.status == 0 && w.status == 0;
    }
    std::printf("  (each child starts from this process's %.1f MiB resident)\n", ownResidentMiB());
    printRuns("unrar", unrar);
    printRuns("installation", installation);
    printRuns("one window", window);
    const bench::TreeTotals expected{a.files, a.bytes};
    const bool complete =
        ok && bench::Totals(byUnrar) == expected && bench::Totals(target) == expected;
    std::printf("  unpacked: %s\n", complete ? "complete" : "MISMATCH or a run failed");
    const double unrarPeak = bench::Median(unrar), installPeak = bench::Median(installation),
                 windowPeak = bench::Median(window);
    std::printf(
        "peak memory, 256 MiB in %d volumes on %s: installation/unrar %.1f, "
        "installation/one window %.2f, installation - one window %.1f MiB (median); no "
        "target\n",
        a.volumes, fileSystem.c_str(), installPeak / unrarPeak, installPeak / windowPeak,
        (installPeak - windowPeak) / 1024);
    return complete ? 0 : 1;
}
