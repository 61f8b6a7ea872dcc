// How the system's drives are found: the mount table, sysfs and volume labels.
#include "platform/Platform.h"

#include <blkid/blkid.h>
#include <dirent.h>
#include <sys/stat.h>
#include <algorithm>
#include <cctype>
#include <fstream>
#include <sstream>

#include "platform/posix/PosixDrives.h"

namespace platform::posix {
namespace {

std::string readText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

std::string firstLine(const std::string& path) {
    std::string s = readText(path);
    auto nl = s.find('\n');
    return nl == std::string::npos ? s : s.substr(0, nl);
}

// mountinfo writes space, tab, newline and backslash as \ooo.
std::string unescapeOctal(const std::string& s) {
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\\' && i + 3 < s.size()) {
            std::string digits = s.substr(i + 1, 3);
            if (digits.find_first_not_of("01234567") == std::string::npos) {
                out += static_cast<char>(std::stoi(digits, nullptr, 8));
                i += 3;
                continue;
            }
        }
        out += s[i];
    }
    return out;
}

// udev writes unsafe characters of a label as \xNN.
std::string unescapeHex(const std::string& s) {
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\\' && i + 3 < s.size() && s[i + 1] == 'x' &&
            std::isxdigit(static_cast<unsigned char>(s[i + 2])) &&
            std::isxdigit(static_cast<unsigned char>(s[i + 3]))) {
            out += static_cast<char>(std::stoi(s.substr(i + 2, 2), nullptr, 16));
            i += 3;
            continue;
        }
        out += s[i];
    }
    return out;
}

bool hasOption(const std::string& options, const std::string& name) {
    std::stringstream ss(options);
    std::string o;
    while (std::getline(ss, o, ','))
        if (o == name) return true;
    return false;
}

}  // namespace

std::vector<MountEntry> ParseMountInfo(const std::string& text) {
    std::vector<MountEntry> out;
    std::stringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        std::stringstream ss(line);
        std::vector<std::string> f;
        for (std::string w; ss >> w;) f.push_back(w);
        // id parent dev root mount-point options [optional...] - fs source super-options
        auto dash = std::find(f.begin(), f.end(), "-");
        if (f.size() < 10 || dash - f.begin() < 6 || f.end() - dash < 3) continue;
        MountEntry m;
        m.Root = unescapeOctal(f[3]);
        m.MountPoint = unescapeOctal(f[4]);
        m.FileSystem = *(dash + 1);
        m.Source = unescapeOctal(*(dash + 2));
        m.Options = f[5] + (dash + 3 != f.end() ? "," + *(dash + 3) : "");
        out.push_back(m);
    }
    return out;
}

std::vector<MountEntry> ReadMounts() {
    return ParseMountInfo(readText("/proc/self/mountinfo"));
}

const MountEntry* MountOf(const std::vector<MountEntry>& mounts, const std::string& native) {
    const MountEntry* best = nullptr;
    for (const MountEntry& m : mounts) {
        if (!(m.MountPoint == "/" || Under(native, m.MountPoint))) continue;
        if (!best || m.MountPoint.size() >= best->MountPoint.size()) best = &m;
    }
    return best;
}

DeviceKind KindOfDevice(const std::string& device, const std::string& sysRoot) {
    std::string real = RealPathOr(device);
    std::string name = real.substr(real.find_last_of('/') + 1);
    if (name.empty()) return DeviceKind::None;
    std::string node = sysRoot + "/class/block/" + name;
    struct stat st {};
    if (stat(node.c_str(), &st) != 0) return DeviceKind::None;
    std::string dev = RealPathOr(node);
    // A partition's disk is the directory above it.
    std::string disk =
        stat((dev + "/partition").c_str(), &st) == 0 ? dev.substr(0, dev.find_last_of('/')) : dev;
    std::string diskName = disk.substr(disk.find_last_of('/') + 1);
    if (StartsWith(diskName, "sr") || firstLine(disk + "/device/type") == "5")
        return DeviceKind::Optical;
    if (firstLine(disk + "/removable") == "1") return DeviceKind::Removable;
    return DeviceKind::Fixed;
}

std::vector<std::string> OpticalDevices(const std::string& sysRoot) {
    std::vector<std::string> out;
    DIR* dp = opendir((sysRoot + "/class/block").c_str());
    if (!dp) return out;
    while (dirent* e = readdir(dp)) {
        std::string name = e->d_name;
        if (StartsWith(name, "sr") && name.size() > 2 &&
            std::all_of(name.begin() + 2, name.end(),
                        [](char c) { return std::isdigit(static_cast<unsigned char>(c)); }))
            out.push_back("/dev/" + name);
    }
    closedir(dp);
    std::sort(out.begin(), out.end());
    return out;
}

bool IsNetworkFileSystem(const std::string& fs) {
    static const char* const kNetwork[] = {"nfs",
                                           "nfs4",
                                           "cifs",
                                           "smb3",
                                           "smbfs",
                                           "ncpfs",
                                           "afs",
                                           "ceph",
                                           "glusterfs",
                                           "9p",
                                           "lustre",
                                           "coda",
                                           "davfs",
                                           "fuse.sshfs",
                                           "fuse.davfs2",
                                           "fuse.glusterfs",
                                           "fuse.rclone",
                                           "fuse.s3fs",
                                           "fuse.ceph-fuse",
                                           "fuse.smbnetfs",
                                           "fuse.curlftpfs"};
    for (const char* n : kNetwork)
        if (fs == n) return true;
    return false;
}

bool IsRamFileSystem(const std::string& fs) {
    return fs == "tmpfs" || fs == "ramfs";
}

DriveType TypeOfMount(const MountEntry& mount, DeviceKind kind) {
    if (IsNetworkFileSystem(mount.FileSystem)) return DRIVE_REMOTE;
    if (IsRamFileSystem(mount.FileSystem)) return DRIVE_RAMDISK;
    // A mounted disc image reads like a disc.
    if (kind == DeviceKind::Optical || mount.FileSystem == "iso9660") return DRIVE_CDROM;
    if (kind == DeviceKind::Removable) return DRIVE_REMOVABLE;
    return DRIVE_FIXED;
}

uint32_t FlagsOfFileSystem(const std::string& fs, const std::string& options) {
    const uint32_t sensitive = FS_CASE_SENSITIVE | FS_CASE_IS_PRESERVED | FS_UNICODE_ON_DISK;
    const uint32_t preserving = FS_CASE_IS_PRESERVED | FS_UNICODE_ON_DISK;
    // Old FAT without long names: upper-case 8.3 names, case ignored.
    if (fs == "msdos" || fs == "umsdos") return 0;
    if (fs == "vfat" || fs == "exfat" || fs == "hfs" || fs == "hfsplus" || fs == "iso9660")
        return preserving;
    if (hasOption(options, "nocase") || hasOption(options, "ignore_case") ||
        hasOption(options, "case=lower"))
        return preserving;
    return sensitive;
}

std::string RemoteNameOfMount(const MountEntry& mount) {
    if (!IsNetworkFileSystem(mount.FileSystem)) return "";
    std::string src = mount.Source;
    std::string out;
    if (StartsWith(src, "//")) {
        out = src;
    } else if (auto colon = src.find(':'); colon != std::string::npos && colon > 0) {
        // host:/path and user@host:path
        std::string host = src.substr(0, colon);
        if (auto at = host.rfind('@'); at != std::string::npos) host = host.substr(at + 1);
        std::string path = src.substr(colon + 1);
        while (!path.empty() && path[0] == '/') path.erase(0, 1);
        out = "//" + host + (path.empty() ? "" : "/" + path);
    } else {
        out = src;
    }
    out = WithSeparators(out, '\\');
    while (out.size() > 2 && out.back() == '\\') out.pop_back();
    return out;
}

std::string ReadVolumeLabel(const std::string& device, const std::string& byLabelDir) {
    if (blkid_probe probe = blkid_new_probe_from_filename(device.c_str())) {
        blkid_probe_enable_superblocks(probe, 1);
        blkid_probe_set_superblocks_flags(probe, BLKID_SUBLKS_LABEL);
        std::string label;
        const char* value = nullptr;
        if (blkid_do_safeprobe(probe) == 0 &&
            blkid_probe_lookup_value(probe, "LABEL", &value, nullptr) == 0 && value)
            label = value;
        blkid_free_probe(probe);
        return label;
    }
    // No read access to the device: udev's links still tell its label.
    std::string real = RealPathOr(device);
    DIR* dp = opendir(byLabelDir.c_str());
    if (!dp) return "";
    std::string label;
    while (dirent* e = readdir(dp)) {
        std::string name = e->d_name;
        if (name == "." || name == "..") continue;
        if (RealPathOr(byLabelDir + "/" + name) == real) {
            label = unescapeHex(name);
            break;
        }
    }
    closedir(dp);
    return label;
}

}  // namespace platform::posix
