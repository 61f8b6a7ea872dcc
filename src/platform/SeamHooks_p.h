// The platform's replaceable parts, as its units consult them: the drive map, which the
// seams save and restore, and the hooks, which are empty in the program. Only the layer's own .cpp
// files and Seams.cpp include this header: outside the layer, the guards of Seams.h are the
// only way to change them, and only tests and benchmarks link those.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/Platform.h"

namespace platform {

// The process's drive map and the current directory of each drive.
struct DriveMapState {
    bool loaded = false;  // built from INSTALLER_DRIVES or the default on first use
    std::vector<Drive> drives;
    std::map<char, std::string> currentPerDrive;  // letter -> native directory
    // The drive the process's current directory was entered through: a folder that is
    // also another drive's root (a separate /home) stays a folder of this drive.
    char currentDrive = 0;
};
DriveMapState& DriveMap();
// Makes drives the loaded map: letters lower case, roots without a trailing '/', each
// drive's current directory its root, no drive entered.
void InstallDrives(std::vector<Drive> drives);

}  // namespace platform

namespace seams::hooks {

// A native file ProgramFileName reports instead of the running program; "" for none.
std::string& ProgramFileHook();
// When set, answers GetDiskFreeSpace instead of the file system.
std::function<unsigned(const std::string& root, platform::DiskSpace& space)>& DiskSpaceHook();
// When set, opens paths instead of the desktop's handler; receives the platform path.
std::function<unsigned(const std::string& path)>& ShellOpenHook();

}  // namespace seams::hooks
