// The whole installation through the real windows (offscreen) against the unrar program on
// the same archive, in the same run. Two media: one
// multi-volume archive of 256 MiB in a few large files, and one of 20,000 small files,
// where the windows' work per entry (captions, gauges, message processing) shows most.
// Runs alternate; the best of each side is compared. Targets: at most 1.03 and 1.6.
// The folders are temporary ones (TMPDIR): TMPDIR=/dev/shm leaves the disk out of it.
//   forms_installation_bench [large|small [runs]]   one medium only (for a profiler), 5 runs
#include <algorithm>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "BenchArchives.h"
#include "BenchInstallation.h"
#include "forms/InstallerWindows.h"

namespace fs = std::filesystem;
using namespace testing_support;

namespace {

struct Medium {
    const char* title;
    bench::ArchiveInfo archive;
    double target;
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
    const std::string only = argc > 1 ? argv[1] : "";
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
    if (!only.empty() && only != "large" && only != "small") {
        std::fprintf(stderr, "Usage: forms_installation_bench [large|small [runs]]\n");
        return 2;
    }
    auto* application = new TApplication();
    application->Initialize(argc, argv);

    TempDir root;
    const std::string medium = root / "medium", byUnrar = root / "unrar", target = root / "target";
    for (const auto& d : {medium, byUnrar, target}) MakeDirs(d);
    DriveMapScope drives({MakeDrive('c', root.Path())});

    const std::string fileSystem = bench::FileSystemOf(root.Path());
    std::printf("work folder on %s\n", fileSystem.c_str());
    std::vector<Medium> media;
    double making = bench::TimeRun([&] {
        if (only != "small")
            media.push_back({"256 MiB in large files",
                             bench::MakeLargeArchive(medium, "tarnwick", 256ull << 20), 1.03});
        if (only != "large")
            media.push_back(
                {"20,000 small files", bench::MakeSmallFilesArchive(medium, "small", 20000), 1.6});
    });
    std::printf("archives made in %.1f s\n", making);

    bench::Installation installation(root.Path());
    bool allGood = true;
    for (const Medium& m : media) {
        const bench::ArchiveInfo& a = m.archive;
        std::printf("%s: %zu files, %.1f MiB in %d volumes\n", m.title, a.files,
                    a.bytes / 1048576.0, a.volumes);
        if (a.volumes < 1) return 1;
        std::vector<double> unrarTimes, installTimes;
        bool completed = true;
        for (int run = 0; run < runs; ++run) {
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
            "  ratio installation/unrar, %s on %s: %.3f (best), %.3f (median); target at "
            "most %.2f: %s\n",
            m.title, fileSystem.c_str(), best, median, m.target,
            best <= m.target ? "met" : "MISSED");
        allGood = allGood && complete && best <= m.target;
    }
    return allGood ? 0 : 1;
}
