// TRAR::Extract against the unrar program on the same multi-volume archive of 256 MiB (three
// quarters random bytes, one quarter text that compresses), both into folders of their own
// in the same run. Every event of the component is connected to a handler that only counts,
// so the figure includes what a window pays for listening. Runs alternate; the best of each
// side is compared. Target: the component takes at most 1.03 times unrar's time.
// The folders are temporary ones (TMPDIR): TMPDIR=/dev/shm leaves the disk out of it.
#include <QCoreApplication>
#include <clocale>
#include <cstdio>
#include <filesystem>

#include "BenchArchives.h"
#include "components/RARArc.h"
#include "support/TestSupport.h"

namespace fs = std::filesystem;
using namespace testing_support;

namespace {

constexpr uint64_t kPayload = 256ull << 20;
constexpr int kRuns = 7;
constexpr double kTarget = 1.03;

struct Counts {
    long data = 0, volume = 0, error = 0, comment = 0, list = 0, extracting = 0, extracted = 0,
         extractedOk = 0, testing = 0, tested = 0, password = 0;
    uint64_t bytes = 0;
};

void connectAll(TRAR& rar, Counts& c) {
    rar.OnProcessData = [&c](TObject*, unsigned char*, int size, int64_t) {
        ++c.data;
        c.bytes += static_cast<uint64_t>(size);
        return 1;
    };
    rar.OnVolumeChange = [&c](TObject*, char*, int) {
        ++c.volume;
        return 1;
    };
    rar.OnError = [&c](TObject*, int) { ++c.error; };
    rar.OnComment = [&c](TObject*, const TComment&) { ++c.comment; };
    rar.OnListFile = [&c](TObject*, RARHeaderData&) { ++c.list; };
    rar.OnExtracting = [&c](TObject*, RARHeaderData&) { ++c.extracting; };
    rar.OnExtract = [&c](TObject*, RARHeaderData&, bool ok) {
        ++c.extracted;
        c.extractedOk += ok;
    };
    rar.OnTesting = [&c](TObject*, RARHeaderData&) { ++c.testing; };
    rar.OnTested = [&c](TObject*, RARHeaderData&, bool) { ++c.tested; };
    rar.OnReqPassword = [&c](TObject*, RARHeaderData&, std::string&) { ++c.password; };
}

void printRuns(const char* name, const std::vector<double>& s) {
    std::printf("%-10s", name);
    for (double t : s) std::printf(" %7.3f s", t);
    std::printf("   best %.3f s, median %.3f s\n", bench::Best(s), bench::Median(s));
}

}  // namespace

int main(int argc, char** argv) {
    std::setvbuf(stdout, nullptr, _IOLBF, 0);  // figures as they come, also into a pipe
    // Names go through the process locale: it must be a UTF-8 one.
    if (!std::setlocale(LC_ALL, "C.UTF-8")) std::setlocale(LC_ALL, "");
    QCoreApplication app(argc, argv);
    TempDir root;
    const std::string medium = root / "medium", byUnrar = root / "unrar",
                      byComponent = root / "component";
    for (const auto& d : {medium, byUnrar, byComponent}) MakeDirs(d);
    DriveMapScope drives({MakeDrive('c', root.Path())});

    bench::ArchiveInfo archive;
    double making =
        bench::TimeRun([&] { archive = bench::MakeLargeArchive(medium, "tarnwick", kPayload); });
    if (archive.volumes < 2) {
        std::printf("rar did not make a multi-volume archive\n");
        return 1;
    }
    uintmax_t packed = 0;
    for (auto& e : fs::directory_iterator(medium)) packed += e.file_size();
    std::printf("work folder on %s\n", bench::FileSystemOf(root.Path()).c_str());
    std::printf("archive: %zu files, %.1f MiB in %d volumes of %.1f MiB packed, made in %.1f s\n",
                archive.files, archive.bytes / 1048576.0, archive.volumes, packed / 1048576.0,
                making);

    TRAR rar;
    rar.SetArchiveName("C:\\medium\\" + fs::path(archive.firstVolume).filename().string());
    rar.SetTargetDir("C:\\component");
    Counts counts;
    connectAll(rar, counts);

    std::vector<double> unrarTimes, componentTimes;
    bool allOk = true;
    for (int run = 0; run < kRuns; ++run) {
        bench::Empty(byUnrar);
        double t = 0;
        if (!bench::TimeUnrar(archive.firstVolume, byUnrar, t)) {
            std::printf("unrar failed\n");
            return 1;
        }
        unrarTimes.push_back(t);
        bench::Empty(byComponent);
        counts = Counts{};
        bool ok = false;
        componentTimes.push_back(bench::TimeRun([&] { ok = rar.Extract(); }));
        allOk = allOk && ok;
    }

    printRuns("unrar", unrarTimes);
    printRuns("component", componentTimes);
    std::printf(
        "events of the last run: %ld data (%.1f MiB), %ld volume, %ld extracting, %ld extracted "
        "(%ld ok), %ld error, %ld comment, %ld password, %ld list/test\n",
        counts.data, counts.bytes / 1048576.0, counts.volume, counts.extracting, counts.extracted,
        counts.extractedOk, counts.error, counts.comment, counts.password,
        counts.list + counts.testing + counts.tested);

    // Both sides must have done the whole job, and the same one.
    const bench::TreeTotals expected{archive.files, archive.bytes};
    const bench::TreeTotals fromUnrar = bench::Totals(byUnrar),
                            fromComponent = bench::Totals(byComponent);
    bool complete = allOk && fromUnrar == expected && fromComponent == expected &&
                    counts.extracting == static_cast<long>(archive.entries) &&
                    counts.extractedOk == counts.extracting && counts.error == 0 &&
                    counts.bytes == archive.bytes && counts.volume == archive.volumes - 1 &&
                    bench::SameTrees(byUnrar, byComponent);
    std::printf("unpacked: unrar %zu files %llu bytes, component %zu files %llu bytes: %s\n",
                fromUnrar.files, static_cast<unsigned long long>(fromUnrar.bytes),
                fromComponent.files, static_cast<unsigned long long>(fromComponent.bytes),
                complete ? "complete and identical" : "MISMATCH");

    const double best = bench::Best(componentTimes) / bench::Best(unrarTimes);
    const double median = bench::Median(componentTimes) / bench::Median(unrarTimes);
    std::printf(
        "ratio component/unrar, 256 MiB in %d volumes on %s: %.3f (best), %.3f (median); "
        "target at most %.2f: %s\n",
        archive.volumes, bench::FileSystemOf(root.Path()).c_str(), best, median, kTarget,
        best <= kTarget ? "met" : "MISSED");
    return complete && best <= kTarget ? 0 : 1;
}
