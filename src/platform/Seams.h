// Test seams of the platform layer: scope guards that replace a part of the system for
// their lifetime. Only tests and benchmarks link them (library platform_seams); the program
// has no way to replace these parts.
//
// Guards nest: the one made last wins, and each destructor puts back what was there when it
// was made, so they are destroyed in the reverse order of their making (as scopes are).
// None is copyable.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/Platform.h"

namespace platform::hooks {
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
    DriveMapScope(const DriveMapScope&) = delete;
    DriveMapScope& operator=(const DriveMapScope&) = delete;

  private:
    std::unique_ptr<platform::hooks::DriveMapState> saved_;
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
class ProgramFileScope {
  public:
    explicit ProgramFileScope(std::string nativePath);
    ~ProgramFileScope();
    ProgramFileScope(const ProgramFileScope&) = delete;
    ProgramFileScope& operator=(const ProgramFileScope&) = delete;

  private:
    std::string saved_;
};

// Answers platform::GetDiskFreeSpace: the query receives the root as the caller gave it,
// fills space and returns 0 or a platform error code, which the caller gets.
using DiskSpaceQuery = std::function<unsigned(const std::string& root, platform::DiskSpace& space)>;
class DiskSpaceScope {
  public:
    explicit DiskSpaceScope(DiskSpaceQuery query);
    ~DiskSpaceScope();
    DiskSpaceScope(const DiskSpaceScope&) = delete;
    DiskSpaceScope& operator=(const DiskSpaceScope&) = delete;

  private:
    DiskSpaceQuery saved_;
};

// Replaces the desktop's handler behind platform::ShellOpen: the handler receives the
// platform path and returns what ShellOpen returns (above 32 for success).
using ShellOpenHandler = std::function<unsigned(const std::string& path)>;
class ShellOpenScope {
  public:
    explicit ShellOpenScope(ShellOpenHandler handler);
    ~ShellOpenScope();
    ShellOpenScope(const ShellOpenScope&) = delete;
    ShellOpenScope& operator=(const ShellOpenScope&) = delete;

  private:
    ShellOpenHandler saved_;
};

}  // namespace seams
