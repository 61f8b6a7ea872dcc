// Test seams of the platform layer: scope guards that replace a part of the system for
// their lifetime. Only tests and benchmarks link them (library platform_seams); the program
// has no way to replace these parts.
//
// Each guard is a ScopedReplace of one part (see ScopedReplace.h for nesting); the drive
// ready guard, which changes one entry of the map, follows the same rules.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/Platform.h"
#include "platform/ScopedReplace.h"

namespace platform {
struct DriveMapState;
}

namespace seams {

// Replaces the drive map (platform::Drives and everything built on it) with drives:
// letters in any case, roots as native directories. Each drive's current directory starts
// at its root. The destructor restores the previous map with its current directories; the
// process's own current directory is left where it is.
class DriveMapScope {
  public:
    explicit DriveMapScope(std::vector<platform::Drive> drives);
    ~DriveMapScope();

  private:
    // Behind a pointer: the map's type is the layer's own.
    std::unique_ptr<ScopedReplace<platform::DriveMapState>> replaced_;
};

// Takes the medium out of the drive of letter (ready false) or puts it in (true); the
// state is then given, not read from the system. The destructor restores the drive's
// previous state. No effect when the map has no such drive.
class DriveReadyScope {
  public:
    DriveReadyScope(char letter, bool ready);
    ~DriveReadyScope();
    DriveReadyScope(const DriveReadyScope&) = delete;
    DriveReadyScope& operator=(const DriveReadyScope&) = delete;

  private:
    char letter_;
    bool found_ = false;
    bool savedReady_ = false;
    uint32_t savedGiven_ = 0;
};

// Makes platform::ProgramFileName report another file, given as a native path (the
// program's settings and medium are looked for beside it).
class ProgramFileScope : ScopedReplace<std::string> {
  public:
    explicit ProgramFileScope(std::string nativePath);
};

// Answers platform::GetDiskFreeSpace: the query receives the root as the caller gave it,
// fills space and returns 0 or a platform error code, which the caller gets.
using DiskSpaceQuery = std::function<unsigned(const std::string& root, platform::DiskSpace& space)>;
class DiskSpaceScope : ScopedReplace<DiskSpaceQuery> {
  public:
    explicit DiskSpaceScope(DiskSpaceQuery query);
};

// Replaces the desktop's handler behind platform::ShellOpen: the handler receives the
// platform path and returns what ShellOpen returns (above 32 for success).
using ShellOpenHandler = std::function<unsigned(const std::string& path)>;
class ShellOpenScope : ScopedReplace<ShellOpenHandler> {
  public:
    explicit ShellOpenScope(ShellOpenHandler handler);
};

}  // namespace seams
