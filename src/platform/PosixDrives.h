// How the POSIX platform layer finds drives in the system: the mount table, the kind of a
// block device, the case rules of a file system, the remote name of a network mount and
// the default drive map built from them. Only posix.cpp and its tests use this header.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/Platform.h"

namespace platform::posix {

// One line of /proc/self/mountinfo.
struct MountEntry {
    std::string Root;        // directory of the file system that is mounted ("/" usually)
    std::string MountPoint;  // native directory
    std::string FileSystem;  // "ext4", "vfat", "nfs4", "fuse.sshfs", ...
    std::string Source;      // "/dev/sdb1", "//server/share", "server:/export", ...
    std::string Options;     // mount and super-block options joined by ','
};

// Parses the mountinfo format; octal escapes (\040) are decoded, malformed lines skipped.
std::vector<MountEntry> ParseMountInfo(const std::string& text);
// The mount table of this process.
std::vector<MountEntry> ReadMounts();
// The mount holding a native path: the longest matching mount point, the later of two
// equal ones (it hides the earlier). Null when none matches.
const MountEntry* MountOf(const std::vector<MountEntry>& mounts, const std::string& native);

enum class DeviceKind { None, Fixed, Removable, Optical };
// What a block device is, from sysfs below sysRoot ("/sys"): optical for SCSI CD-ROM
// devices, removable when the disk says so, fixed for other block devices.
DeviceKind KindOfDevice(const std::string& device, const std::string& sysRoot = "/sys");
// Optical devices of the system (/dev/sr0 ...), sorted.
std::vector<std::string> OpticalDevices(const std::string& sysRoot = "/sys");

bool IsNetworkFileSystem(const std::string& fs);
bool IsRamFileSystem(const std::string& fs);
DriveType TypeOfMount(const MountEntry& mount, DeviceKind kind);
// Case rules and Unicode support of a file system, as volume flags.
uint32_t FlagsOfFileSystem(const std::string& fs, const std::string& options);
// The platform's form of a network mount's source ("\\server\share"); "" for others.
std::string RemoteNameOfMount(const MountEntry& mount);

// The volume label of a block device or file-system image: read by libblkid, or from
// udev's by-label links when the device cannot be read. "" when there is none.
std::string ReadVolumeLabel(const std::string& device,
                            const std::string& byLabelDir = "/dev/disk/by-label");

// The default drive map from a mount table: c: is the root of the file system, then, in
// this order, the file system of a separate home, removable media, optical drives (with a
// medium or not) and network mounts, each group in mount-point order.
std::vector<Drive> DrivesFromMounts(const std::vector<MountEntry>& mounts, const std::string& home,
                                    const std::function<DeviceKind(const std::string&)>& kindOf,
                                    const std::vector<std::string>& opticalDevices);

}  // namespace platform::posix
