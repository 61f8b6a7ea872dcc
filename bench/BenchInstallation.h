// One whole installation through the real windows (offscreen), as a user makes it: main
// window, install hot-spot, directory window, Install, Extract in the extraction window,
// the completion message answered through the dialog seam and the shell requests recorded
// through the shell seam. Shared by the benchmarks of the installation's time and memory.
#pragma once

#include <string>
#include <vector>

#include "BenchArchives.h"
#include "platform/Seams.h"

namespace bench {

class Installation {
  public:
    // root: the folder that stands for drive C:; the target is root/target (C:\target).
    explicit Installation(std::string root);
    ~Installation();

    // One installation of the archive into C:\target with fresh windows. Returns the
    // seconds from the click on the install hot-spot until the installation has finished
    // (both windows closed, the completion message answered, the shell asked); false when
    // it did not end as a completed installation.
    bool Run(const ArchiveInfo& archive, double& seconds);

    // Per completed run: up to the Extract click, the run until the completion message, the
    // rest (closing windows, the shell).
    struct Phases {
        double windows, extraction, finish;
    };
    std::vector<Phases> phases;

  private:
    std::string root_;
    std::vector<std::string> shell_;
    seams::ShellOpenScope shellOpen_;
};

}  // namespace bench
