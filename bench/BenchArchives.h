// Archives for the extraction benchmarks, made by rar at run time, and the measuring around
// them: the reference run of the unrar program, folder totals, best and median of runs.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace bench {

// What an archive holds, as the payload it was made from had it.
struct ArchiveInfo {
    std::string firstVolume;  // native path
    int volumes = 0;
    size_t files = 0;
    size_t entries = 0;  // files and folders: rar stores both
    uint64_t bytes = 0;
};

// Files and bytes below a folder.
struct TreeTotals {
    size_t files = 0;
    uint64_t bytes = 0;
    bool operator==(const TreeTotals&) const = default;
};

// A few large files, three quarters random bytes and one quarter text that compresses,
// at least minBytes in all, packed into volumes of volumeSize (rar's -v syntax) as
// folder/name.partN.rar. The payload is made in a scratch folder beside the archive and
// removed afterwards.
ArchiveInfo MakeLargeArchive(const std::string& folder, const std::string& name, uint64_t minBytes,
                             const std::string& volumeSize = "64m");
// count small files (a few dozen bytes to a few KiB, text and binary) in nested folders.
ArchiveInfo MakeSmallFilesArchive(const std::string& folder, const std::string& name, int count,
                                  const std::string& volumeSize = "16m");

TreeTotals Totals(const std::string& root);
// Same relative names and the same bytes in every file.
bool SameTrees(const std::string& a, const std::string& b);
// Removes everything inside dir, keeping dir itself (it may be a current directory).
void Empty(const std::string& dir);

// Kind of file system a folder lies on ("tmpfs", "ext4", ...): the figures depend on it.
std::string FileSystemOf(const std::string& folder);

// Seconds of one `unrar x -idq -o+` of the archive into target; false when unrar fails.
bool TimeUnrar(const std::string& firstVolume, const std::string& target, double& seconds);
// Wall time of fn in seconds. Pending writes are flushed first, so every run starts from
// the same state of the disk.
double TimeRun(const std::function<void()>& fn);

// What a finished child process cost, from wait4's resource usage.
struct ChildUsage {
    int status = -1;  // exit status, -1 when it did not exit normally
    double seconds = 0;
    long peakKiB = 0;  // peak resident set
};
// Runs argv[0] (a path) with argv in the current directory and waits for it.
ChildUsage RunChild(const std::vector<std::string>& argv);

double Best(std::vector<double> v);
double Median(std::vector<double> v);

}  // namespace bench
