// The platform layer on POSIX systems: a drive map over the native file system.
#include "platform/Platform.h"

#include <blkid/blkid.h>

#include <dirent.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <mutex>
#include <sstream>

#include "platform/PosixDrives.h"

namespace platform {
namespace {

struct State {
    bool loaded = false;
    std::vector<Drive> drives;
    std::map<char, std::string> currentPerDrive;  // letter -> native directory
    // The drive the process's current directory was entered through: a folder that is
    // also another drive's root (a separate /home) stays a folder of this drive.
    char currentDrive = 0;
    unsigned errorMode = 0;
    DiskSpaceQuery spaceQuery;
    ShellOpenHandler shellHandler;
};

State& state() {
    static State s;
    return s;
}

// Drive letters are ASCII whatever the user's locale.
char lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}
char upper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}
bool isLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

std::string nativeRootDir(const Drive& d) {
    return d.NativeRoot.empty() ? "/" : d.NativeRoot;
}

bool startsWith(const std::string& s, const std::string& prefix) {
    return s.compare(0, prefix.size(), prefix) == 0;
}

std::string realPathOr(const std::string& path) {
    char buf[PATH_MAX];
    return realpath(path.c_str(), buf) ? std::string(buf) : path;
}

bool isDirectory(const std::string& native) {
    struct stat st {};
    return stat(native.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

void trimRoot(Drive& d) {
    while (d.NativeRoot.size() > 1 && d.NativeRoot.back() == '/') d.NativeRoot.pop_back();
    if (d.NativeRoot == "/") d.NativeRoot.clear();
}

void ensureLoaded() {
    State& s = state();
    if (s.loaded) return;
    s.loaded = true;
    const char* env = std::getenv("INSTALLER_DRIVES");
    std::optional<std::vector<Drive>> parsed;
    if (env && *env) {
        parsed = ParseDriveMap(env);
        if (!parsed)
            std::fprintf(stderr, "INSTALLER_DRIVES is malformed; the default drives apply\n");
    }
    s.drives = parsed ? *parsed : DefaultDrives();
    for (const Drive& d : s.drives) s.currentPerDrive[d.Letter] = nativeRootDir(d);
}

// A media drive follows its device: ready while the device is mounted, rooted where it is.
void followDevice(Drive& d) {
    if (d.Device.empty() || (d.Given & dfReady)) return;
    std::string device = realPathOr(d.Device);
    const posix::MountEntry* found = nullptr;
    std::vector<posix::MountEntry> mounts = posix::ReadMounts();
    for (const posix::MountEntry& m : mounts)
        if (startsWith(m.Source, "/dev/") && realPathOr(m.Source) == device) found = &m;
    d.Ready = found != nullptr;
    if (!found) return;
    std::string root = found->MountPoint == "/" ? "" : found->MountPoint;
    if (root != d.NativeRoot) {
        d.NativeRoot = root;
        state().currentPerDrive[d.Letter] = nativeRootDir(d);
    }
}

Drive* findDrive(char letter) {
    ensureLoaded();
    letter = lower(letter);
    for (Drive& d : state().drives)
        if (d.Letter == letter) {
            followDevice(d);
            return &d;
        }
    return nullptr;
}

// A drive without its medium.
bool notReady(const Drive& d) {
    if ((d.Given & dfReady) || !d.Device.empty()) return !d.Ready;
    struct stat st {};
    return stat(nativeRootDir(d).c_str(), &st) != 0 && (errno == ENOMEDIUM || errno == EIO);
}

// The drive with the fields in want that are not given read from the system.
Drive describe(const Drive& d, uint32_t want) {
    Drive out = d;
    want &= ~d.Given;
    if (!want) return out;
    std::string root = nativeRootDir(d);
    bool ready = !notReady(d) && isDirectory(root);
    if (want & dfReady) out.Ready = ready;
    std::vector<posix::MountEntry> mounts = posix::ReadMounts();
    const posix::MountEntry* m = ready ? posix::MountOf(mounts, realPathOr(root)) : nullptr;
    bool device = m && startsWith(m->Source, "/dev/");
    if (want & dfType) {
        if (!d.Device.empty() && !ready)
            out.Type = posix::KindOfDevice(d.Device) == posix::DeviceKind::Optical
                           ? DRIVE_CDROM
                           : DRIVE_REMOVABLE;
        else if (!isDirectory(root))
            out.Type = DRIVE_NO_ROOT_DIR;
        else
            out.Type = m ? posix::TypeOfMount(*m, device ? posix::KindOfDevice(m->Source)
                                                         : posix::DeviceKind::None)
                         : DRIVE_FIXED;
    }
    if (want & dfLabel) out.Label = device ? posix::ReadVolumeLabel(m->Source) : "";
    if (want & dfFileSystem) out.FileSystem = m ? m->FileSystem : "";
    if (want & dfFlags)
        out.Flags = m ? posix::FlagsOfFileSystem(m->FileSystem, m->Options)
                      : FS_CASE_SENSITIVE | FS_CASE_IS_PRESERVED | FS_UNICODE_ON_DISK;
    if (want & dfRemote) out.RemoteName = m ? posix::RemoteNameOfMount(*m) : "";
    if (want & dfSerial) {
        struct statvfs vfs {};
        out.Serial =
            ready && statvfs(root.c_str(), &vfs) == 0 ? static_cast<uint32_t>(vfs.f_fsid) : 0;
    }
    return out;
}

bool isDriveSpec(const std::string& p) {
    return p.size() >= 2 && p[1] == ':' && isLetter(p[0]);
}

std::string nativeCwd() {
    char buf[PATH_MAX];
    if (!getcwd(buf, sizeof buf)) return "/";
    return buf;
}

// Whether the native path lies on the drive (its root or below).
bool holds(const Drive& d, const std::string& native) {
    const std::string& root = d.NativeRoot;
    return root.empty() || native == root ||
           (startsWith(native, root) && native.size() > root.size() && native[root.size()] == '/');
}

// Drive whose root holds the native path (the longest matching root wins). A media drive
// without its medium holds nothing.
const Drive* driveOfNative(const std::string& native) {
    ensureLoaded();
    const Drive* best = nullptr;
    size_t bestLen = 0;
    for (const Drive& d : state().drives) {
        if (!d.Device.empty() && !d.Ready) continue;
        if (holds(d, native) && (best == nullptr || d.NativeRoot.size() > bestLen)) {
            best = &d;
            bestLen = d.NativeRoot.size();
        }
    }
    return best;
}

// The drive of the process's current directory: the one it was entered through while it
// still holds it, else the drive whose root holds it.
const Drive* currentDriveOf(const std::string& nativeCwdPath) {
    ensureLoaded();
    for (const Drive& d : state().drives)
        if (d.Letter == state().currentDrive && (d.Device.empty() || d.Ready) &&
            holds(d, nativeCwdPath))
            return &d;
    return driveOfNative(nativeCwdPath);
}

// Removes "." and ".." components of an absolute native path, lexically, never above the
// given root.
std::string normalise(const std::string& path, const std::string& root) {
    std::vector<std::string> parts;
    std::string rest = path.substr(root.size());
    std::stringstream ss(rest);
    std::string piece;
    while (std::getline(ss, piece, '/')) {
        if (piece.empty() || piece == ".") continue;
        if (piece == "..") {
            if (!parts.empty()) parts.pop_back();
            continue;
        }
        parts.push_back(piece);
    }
    std::string out = root;
    for (const std::string& p : parts) out += "/" + p;
    return out.empty() ? "/" : out;
}

std::string slashes(std::string s) {
    std::replace(s.begin(), s.end(), '\\', '/');
    return s;
}

// Windows refuses these characters in a name.
bool hasInvalidNameChar(const std::string& platformPath) {
    size_t start = isDriveSpec(platformPath) ? 2 : 0;
    for (size_t i = start; i < platformPath.size(); ++i) {
        char c = platformPath[i];
        if (c == '<' || c == '>' || c == ':' || c == '"' || c == '|' || c == '?' || c == '*' ||
            (static_cast<unsigned char>(c) < 32))
            return true;
    }
    return false;
}

unsigned notFoundCode(const std::string& native) {
    auto slash = native.find_last_of('/');
    std::string parent = slash == 0 ? "/" : native.substr(0, slash);
    return isDirectory(parent) ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND;
}

bool matchPattern(const std::string& pattern, const std::string& name) {
    if (pattern == "*.*" || pattern == "*") return true;
    return fnmatch(pattern.c_str(), name.c_str(), FNM_CASEFOLD) == 0;
}

}  // namespace

unsigned ErrorFromErrno(int err) {
    switch (err) {
        case 0:
            return ERROR_SUCCESS;
        case ENOENT:
            return ERROR_FILE_NOT_FOUND;
        case ENOTDIR:
            return ERROR_PATH_NOT_FOUND;
        case EACCES:
        case EPERM:
            return ERROR_ACCESS_DENIED;
        case EMFILE:
        case ENFILE:
            return ERROR_TOO_MANY_OPEN_FILES;
        case ENOMEM:
            return ERROR_NOT_ENOUGH_MEMORY;
        case EROFS:
            return ERROR_WRITE_PROTECT;
        case EEXIST:
            return ERROR_ALREADY_EXISTS;
        case ENOSPC:
        case EDQUOT:
            return ERROR_DISK_FULL;
        case ENAMETOOLONG:
            return ERROR_FILENAME_EXCED_RANGE;
        case EINVAL:
            return ERROR_INVALID_NAME;
        case ENOTEMPTY:
            return ERROR_DIR_NOT_EMPTY;
        case EBUSY:
        case ETXTBSY:
            return ERROR_SHARING_VIOLATION;
        case ENOMEDIUM:
        case EIO:
            return ERROR_NOT_READY;
        default:
            return ERROR_IO_DEVICE;
    }
}

// ---- Drive map -------------------------------------------------------------------------------

const std::vector<Drive>& Drives() {
    ensureLoaded();
    return state().drives;
}

void SetDrives(std::vector<Drive> drives) {
    State& s = state();
    s.loaded = true;
    for (Drive& d : drives) {
        d.Letter = lower(d.Letter);
        trimRoot(d);
    }
    s.drives = std::move(drives);
    s.currentPerDrive.clear();
    s.currentDrive = 0;
    for (const Drive& d : s.drives) s.currentPerDrive[d.Letter] = nativeRootDir(d);
}

std::optional<Drive> DriveOf(char letter) {
    Drive* d = findDrive(letter);
    if (!d) return std::nullopt;
    return describe(*d, dfAll);
}

void SetDriveReady(char letter, bool ready) {
    if (Drive* d = findDrive(letter)) {
        d->Ready = ready;
        d->Given |= dfReady;
    }
}

std::optional<std::vector<Drive>> ParseDriveMap(const std::string& text) {
    std::vector<Drive> out;
    std::stringstream entries(text);
    std::string entry;
    while (std::getline(entries, entry, ';')) {
        if (entry.empty()) continue;
        std::stringstream fields(entry);
        std::string field;
        std::getline(fields, field, ',');
        auto eq = field.find('=');
        if (eq != 1 || !isLetter(field[0])) return std::nullopt;
        Drive d;
        d.Letter = lower(field[0]);
        d.NativeRoot = field.substr(2);
        d.Given = 0;
        if (d.NativeRoot.empty() || d.NativeRoot[0] != '/') return std::nullopt;
        while (std::getline(fields, field, ',')) {
            auto e = field.find('=');
            if (e == std::string::npos) return std::nullopt;
            std::string key = field.substr(0, e), value = field.substr(e + 1);
            if (key == "type") {
                static const std::map<std::string, DriveType> types = {
                    {"fixed", DRIVE_FIXED},       {"removable", DRIVE_REMOVABLE},
                    {"cdrom", DRIVE_CDROM},       {"remote", DRIVE_REMOTE},
                    {"ramdisk", DRIVE_RAMDISK},   {"unknown", DRIVE_UNKNOWN},
                    {"noroot", DRIVE_NO_ROOT_DIR}};
                auto it = types.find(value);
                if (it == types.end()) return std::nullopt;
                d.Type = it->second;
                d.Given |= dfType;
            } else if (key == "label") {
                d.Label = value;
                d.Given |= dfLabel;
            } else if (key == "fs") {
                d.FileSystem = value;
                d.Given |= dfFileSystem;
            } else if (key == "flags") {
                char* end = nullptr;
                unsigned long flags = std::strtoul(value.c_str(), &end, 0);
                if (value.empty() || *end) return std::nullopt;
                d.Flags = static_cast<uint32_t>(flags);
                d.Given |= dfFlags;
            } else if (key == "remote") {
                d.RemoteName = value;
                d.Given |= dfRemote;
            } else if (key == "ready") {
                if (value != "0" && value != "1") return std::nullopt;
                d.Ready = value == "1";
                d.Given |= dfReady;
            } else if (key == "device") {
                if (!startsWith(value, "/")) return std::nullopt;
                d.Device = value;
            } else {
                return std::nullopt;
            }
        }
        trimRoot(d);
        for (const Drive& other : out)
            if (other.Letter == d.Letter) return std::nullopt;
        out.push_back(d);
    }
    if (out.empty()) return std::nullopt;
    std::sort(out.begin(), out.end(),
              [](const Drive& a, const Drive& b) { return a.Letter < b.Letter; });
    return out;
}

std::vector<Drive> DefaultDrives() {
    const char* home = std::getenv("HOME");
    return posix::DrivesFromMounts(
        posix::ReadMounts(), home ? home : "",
        [](const std::string& dev) { return posix::KindOfDevice(dev); }, posix::OpticalDevices());
}

// ---- How the system's drives are found -------------------------------------------------------

namespace posix {
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

bool under(const std::string& path, const std::string& dir) {
    return path == dir || startsWith(path, dir + "/");
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
        if (!(m.MountPoint == "/" || under(native, m.MountPoint))) continue;
        if (!best || m.MountPoint.size() >= best->MountPoint.size()) best = &m;
    }
    return best;
}

DeviceKind KindOfDevice(const std::string& device, const std::string& sysRoot) {
    std::string real = realPathOr(device);
    std::string name = real.substr(real.find_last_of('/') + 1);
    if (name.empty()) return DeviceKind::None;
    std::string node = sysRoot + "/class/block/" + name;
    struct stat st {};
    if (stat(node.c_str(), &st) != 0) return DeviceKind::None;
    std::string dev = realPathOr(node);
    // A partition's disk is the directory above it.
    std::string disk =
        stat((dev + "/partition").c_str(), &st) == 0 ? dev.substr(0, dev.find_last_of('/')) : dev;
    std::string diskName = disk.substr(disk.find_last_of('/') + 1);
    if (startsWith(diskName, "sr") || firstLine(disk + "/device/type") == "5")
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
        if (startsWith(name, "sr") && name.size() > 2 &&
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
    if (startsWith(src, "//")) {
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
    std::replace(out.begin(), out.end(), '/', '\\');
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
    std::string real = realPathOr(device);
    DIR* dp = opendir(byLabelDir.c_str());
    if (!dp) return "";
    std::string label;
    while (dirent* e = readdir(dp)) {
        std::string name = e->d_name;
        if (name == "." || name == "..") continue;
        if (realPathOr(byLabelDir + "/" + name) == real) {
            label = unescapeHex(name);
            break;
        }
    }
    closedir(dp);
    return label;
}

std::vector<Drive> DrivesFromMounts(const std::vector<MountEntry>& mounts, const std::string& home,
                                    const std::function<DeviceKind(const std::string&)>& kindOf,
                                    const std::vector<std::string>& opticalDevices) {
    Drive root;
    root.Letter = 'c';
    root.Given = 0;
    std::vector<Drive> out{root};

    // An over-mount hides what was mounted there before: the last entry per point counts.
    std::map<std::string, const MountEntry*> byPoint;
    for (const MountEntry& m : mounts) byPoint[m.MountPoint] = &m;
    const MountEntry* homeMount = home.empty() ? nullptr : MountOf(mounts, home);

    std::vector<Drive> groups[4];  // home, removable, optical, network
    std::vector<std::string> mountedDevices;
    for (const auto& [point, m] : byPoint) {
        if (point == "/" || under(point, "/proc") || under(point, "/sys") || under(point, "/dev"))
            continue;
        if (under(point, "/run") && !under(point, "/run/media")) continue;
        bool blockDevice = startsWith(m->Source, "/dev/");
        DeviceKind kind = blockDevice ? kindOf(m->Source) : DeviceKind::None;
        bool media = kind == DeviceKind::Removable || kind == DeviceKind::Optical;
        Drive d;
        d.NativeRoot = point;
        d.Given = 0;
        int group;
        if (IsNetworkFileSystem(m->FileSystem)) {
            group = 3;
        } else if (homeMount && homeMount->MountPoint == point) {
            group = 0;
        } else if (blockDevice && (kind == DeviceKind::Optical || m->FileSystem == "iso9660")) {
            group = 2;
        } else if (blockDevice && (media || under(point, "/media") || under(point, "/run/media") ||
                                   under(point, "/mnt"))) {
            group = 1;
        } else {
            continue;
        }
        if (media) {
            d.Device = m->Source;
            d.Type = kind == DeviceKind::Optical ? DRIVE_CDROM : DRIVE_REMOVABLE;
            d.Given = dfType;
            mountedDevices.push_back(realPathOr(m->Source));
        }
        groups[group].push_back(d);
    }
    // An optical drive without a disc is still a drive: it is just not ready.
    for (const std::string& dev : opticalDevices) {
        if (std::find(mountedDevices.begin(), mountedDevices.end(), realPathOr(dev)) !=
            mountedDevices.end())
            continue;
        Drive d;
        d.NativeRoot = dev;  // stands in until a disc is mounted
        d.Device = dev;
        d.Type = DRIVE_CDROM;
        d.Ready = false;
        d.Given = dfType;
        groups[2].push_back(d);
    }
    char letter = 'd';
    for (auto& group : groups)
        for (Drive& d : group) {
            if (letter > 'z') return out;
            d.Letter = letter++;
            out.push_back(d);
        }
    return out;
}

}  // namespace posix

// ---- Paths -----------------------------------------------------------------------------------

std::string ToNative(const std::string& platformPath) {
    ensureLoaded();
    State& s = state();
    std::string p = platformPath;
    // Network-style path of a native directory outside every drive.
    if (p.rfind("\\\\", 0) == 0) {
        // Only the machine's own "server" is reachable.
        if (p.rfind("\\\\unix", 0) != 0 || (p.size() > 6 && p[6] != '\\')) return "";
        std::string rest = slashes(p.substr(6));
        return normalise(rest.empty() ? "/" : rest, "");
    }
    const Drive* drive = nullptr;
    std::string base;
    if (isDriveSpec(p)) {
        drive = findDrive(p[0]);
        if (!drive) return "";
        std::string rest = p.substr(2);
        if (!rest.empty() && (rest[0] == '\\' || rest[0] == '/')) {
            return normalise(drive->NativeRoot + slashes(rest), drive->NativeRoot);
        }
        base = s.currentPerDrive[drive->Letter];
        p = rest;
    } else if (!p.empty() && (p[0] == '\\' || p[0] == '/')) {
        // Root of the current drive.
        std::string cwd = nativeCwd();
        drive = currentDriveOf(cwd);
        std::string root = drive ? drive->NativeRoot : "";
        return normalise(root + slashes(p), root);
    } else {
        base = nativeCwd();
        drive = currentDriveOf(base);
    }
    std::string root = drive ? drive->NativeRoot : "";
    std::string joined = p.empty() ? base : base + "/" + slashes(p);
    return normalise(joined, root);
}

namespace {

std::string fromNativeOn(const std::string& native, const Drive* d) {
    if (!d) {
        std::string out = "\\\\unix" + native;
        std::replace(out.begin() + 2, out.end(), '/', '\\');
        return out;
    }
    std::string rest = native.substr(d->NativeRoot.size());
    std::replace(rest.begin(), rest.end(), '/', '\\');
    if (rest.empty()) rest = "\\";
    std::string out;
    out += upper(d->Letter);
    out += ':';
    return out + rest;
}

}  // namespace

std::string FromNative(const std::string& nativePath) {
    std::string native = nativePath.empty() ? "/" : nativePath;
    return fromNativeOn(native, driveOfNative(native));
}

// ---- Program ---------------------------------------------------------------------------------

namespace {
std::string& programOverride() {
    static std::string p;
    return p;
}
}  // namespace

void SetProgramFileName(const std::string& nativePath) {
    programOverride() = nativePath;
}

std::string ProgramFileName() {
    if (!programOverride().empty()) return FromNative(programOverride());
    char buf[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0) return "";
    buf[n] = 0;
    return FromNative(buf);
}

// ---- Drives and volumes ----------------------------------------------------------------------

uint32_t GetLogicalDrives() {
    uint32_t mask = 0;
    for (const Drive& d : Drives()) mask |= 1u << (d.Letter - 'a');
    return mask;
}

unsigned GetDriveType(const std::string& root) {
    if (!isDriveSpec(root)) return DRIVE_NO_ROOT_DIR;
    const Drive* d = findDrive(root[0]);
    if (!d) return DRIVE_NO_ROOT_DIR;
    return describe(*d, dfType).Type;
}

unsigned GetVolumeInformation(const std::string& root, VolumeInformation& info) {
    if (!isDriveSpec(root)) return ERROR_PATH_NOT_FOUND;
    const Drive* d = findDrive(root[0]);
    if (!d) return ERROR_PATH_NOT_FOUND;
    if (notReady(*d) || !isDirectory(nativeRootDir(*d))) return ERROR_NOT_READY;
    Drive v = describe(*d, dfLabel | dfSerial | dfFlags | dfFileSystem);
    info.Label = v.Label;
    info.Serial = v.Serial;
    info.FileSystemFlags = v.Flags;
    info.FileSystemName = v.FileSystem;
    struct statvfs vfs {};
    info.MaxComponentLength =
        statvfs(nativeRootDir(*d).c_str(), &vfs) == 0 ? static_cast<uint32_t>(vfs.f_namemax) : 255;
    return ERROR_SUCCESS;
}

unsigned SetErrorMode(unsigned mode) {
    unsigned old = state().errorMode;
    state().errorMode = mode;
    return old;
}

unsigned GetErrorMode() {
    return state().errorMode;
}

unsigned GetNetworkConnection(const std::string& localName, std::string& remoteName) {
    if (!isDriveSpec(localName)) return ERROR_BAD_DEVICE;
    const Drive* d = findDrive(localName[0]);
    if (!d) return ERROR_NOT_CONNECTED;
    Drive v = describe(*d, dfType | dfRemote);
    if (v.Type != DRIVE_REMOTE || v.RemoteName.empty()) return ERROR_NOT_CONNECTED;
    remoteName = v.RemoteName;
    return ERROR_SUCCESS;
}

void SetDiskSpaceQuery(DiskSpaceQuery query) {
    state().spaceQuery = std::move(query);
}

unsigned GetDiskFreeSpace(const std::string& root, DiskSpace& space) {
    if (state().spaceQuery) return state().spaceQuery(root, space);
    std::string native = ToNative(root);
    if (native.empty()) return ERROR_PATH_NOT_FOUND;
    if (isDriveSpec(root)) {
        const Drive* d = findDrive(root[0]);
        if (d && notReady(*d)) return ERROR_NOT_READY;
    }
    struct statvfs vfs {};
    if (statvfs(native.c_str(), &vfs) != 0) return ErrorFromErrno(errno);
    space.FreeBytesAvailableToCaller = static_cast<uint64_t>(vfs.f_bavail) * vfs.f_frsize;
    space.TotalBytes = static_cast<uint64_t>(vfs.f_blocks) * vfs.f_frsize;
    space.TotalFreeBytes = static_cast<uint64_t>(vfs.f_bfree) * vfs.f_frsize;
    return ERROR_SUCCESS;
}

// ---- Directories and files -------------------------------------------------------------------

std::string GetCurrentDirectory() {
    std::string native = nativeCwd();
    return fromNativeOn(native, currentDriveOf(native));
}

unsigned SetCurrentDirectory(const std::string& path) {
    if (path.empty()) return ERROR_INVALID_NAME;
    // The drive the path goes through: the one it names, the current one for a relative
    // or rooted path, none for a network path.
    const Drive* through = nullptr;
    if (isDriveSpec(path)) {
        const Drive* d = findDrive(path[0]);
        if (!d) return ERROR_INVALID_NAME;
        if (notReady(*d)) return ERROR_NOT_READY;
        through = d;
    } else if (!startsWith(path, "\\\\")) {
        through = currentDriveOf(nativeCwd());
    }
    std::string native = ToNative(path);
    if (native.empty()) return ERROR_PATH_NOT_FOUND;
    struct stat st {};
    if (stat(native.c_str(), &st) != 0) {
        return errno == ENOENT ? notFoundCode(native) : ErrorFromErrno(errno);
    }
    if (!S_ISDIR(st.st_mode)) return ERROR_DIRECTORY;
    if (chdir(native.c_str()) != 0) return ErrorFromErrno(errno);
    std::string now = nativeCwd();
    const Drive* d = through && holds(*through, now) ? through : driveOfNative(now);
    state().currentDrive = d ? d->Letter : 0;
    if (d) state().currentPerDrive[d->Letter] = now;
    return ERROR_SUCCESS;
}

std::FILE* OpenRegularFile(const std::string& nativePath) {
    // Opening without blocking: a FIFO without a writer would otherwise wait for one.
    int fd = open(nativePath.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return nullptr;
    struct stat st {};
    int flags = fcntl(fd, F_GETFL);
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || flags < 0 ||
        fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        close(fd);
        return nullptr;
    }
    std::FILE* f = fdopen(fd, "rb");
    if (!f) close(fd);
    return f;
}

uint32_t GetFileAttributes(const std::string& path) {
    // An empty name names nothing, not the current directory.
    if (path.empty()) return INVALID_FILE_ATTRIBUTES;
    std::string native = ToNative(path);
    if (native.empty()) return INVALID_FILE_ATTRIBUTES;
    if (isDriveSpec(path)) {
        const Drive* d = findDrive(path[0]);
        if (d && notReady(*d)) return INVALID_FILE_ATTRIBUTES;
    }
    struct stat st {};
    if (stat(native.c_str(), &st) != 0) return INVALID_FILE_ATTRIBUTES;
    uint32_t attr = 0;
    if (S_ISDIR(st.st_mode)) attr |= FILE_ATTRIBUTE_DIRECTORY;
    if (access(native.c_str(), W_OK) != 0 && errno == EACCES && !S_ISDIR(st.st_mode))
        attr |= FILE_ATTRIBUTE_READONLY;
    auto slash = native.find_last_of('/');
    std::string name = native.substr(slash + 1);
    if (!name.empty() && name[0] == '.') attr |= FILE_ATTRIBUTE_HIDDEN;
    return attr ? attr : FILE_ATTRIBUTE_NORMAL;
}

unsigned CreateDirectory(const std::string& path) {
    if (path.empty()) return ERROR_PATH_NOT_FOUND;
    if (hasInvalidNameChar(path)) return ERROR_INVALID_NAME;
    if (isDriveSpec(path)) {
        const Drive* d = findDrive(path[0]);
        if (!d) return ERROR_PATH_NOT_FOUND;
        if (notReady(*d)) return ERROR_NOT_READY;
    }
    std::string native = ToNative(path);
    if (native.empty()) return ERROR_PATH_NOT_FOUND;
    if (mkdir(native.c_str(), 0777) == 0) return ERROR_SUCCESS;
    int err = errno;
    if (err == ENOENT || err == ENOTDIR) return ERROR_PATH_NOT_FOUND;
    return ErrorFromErrno(err);
}

unsigned FindFiles(const std::string& pattern, std::vector<FindData>& found) {
    found.clear();
    auto sep = pattern.find_last_of("\\/");
    std::string dir = sep == std::string::npos ? "" : pattern.substr(0, sep + 1);
    std::string mask = sep == std::string::npos ? pattern : pattern.substr(sep + 1);
    if (isDriveSpec(pattern)) {
        const Drive* d = findDrive(pattern[0]);
        if (d && notReady(*d)) return ERROR_NOT_READY;
        if (dir.empty()) {
            dir = pattern.substr(0, 2);
            mask = pattern.substr(2);
        }
    }
    std::string nativeDir = ToNative(dir.empty() ? "." : dir);
    if (nativeDir.empty()) return ERROR_PATH_NOT_FOUND;
    DIR* dp = opendir(nativeDir.c_str());
    if (!dp) return errno == ENOENT ? ERROR_PATH_NOT_FOUND : ErrorFromErrno(errno);
    while (dirent* e = readdir(dp)) {
        std::string name = e->d_name;
        if (!matchPattern(mask, name)) continue;
        std::string full = nativeDir == "/" ? "/" + name : nativeDir + "/" + name;
        struct stat st {};
        if (stat(full.c_str(), &st) != 0 && lstat(full.c_str(), &st) != 0) continue;
        FindData fd;
        fd.Name = name;
        fd.Size = static_cast<uint64_t>(st.st_size);
        if (S_ISDIR(st.st_mode)) fd.Attributes |= FILE_ATTRIBUTE_DIRECTORY;
        if (name.size() > 1 && name[0] == '.' && name != "..")
            fd.Attributes |= FILE_ATTRIBUTE_HIDDEN;
        if (!S_ISDIR(st.st_mode) && !S_ISREG(st.st_mode)) fd.Attributes |= FILE_ATTRIBUTE_SYSTEM;
        if (fd.Attributes == 0) fd.Attributes = FILE_ATTRIBUTE_NORMAL;
        found.push_back(fd);
    }
    closedir(dp);
    return found.empty() ? ERROR_FILE_NOT_FOUND : ERROR_SUCCESS;
}

unsigned FindFiles(const std::string& pattern, uint32_t attributes, std::vector<FindData>& found) {
    std::vector<FindData> all;
    found.clear();
    unsigned code = FindFiles(pattern, all);
    if (code != ERROR_SUCCESS) return code;
    const uint32_t special = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_VOLUME |
                             FILE_ATTRIBUTE_DIRECTORY;
    const uint32_t excluded = special & ~attributes;
    for (FindData& f : all)
        if (!(f.Attributes & excluded)) found.push_back(std::move(f));
    return found.empty() ? ERROR_FILE_NOT_FOUND : ERROR_SUCCESS;
}

// ---- Shell -----------------------------------------------------------------------------------

void SetShellOpenHandler(ShellOpenHandler handler) {
    state().shellHandler = std::move(handler);
}

unsigned ShellOpen(const std::string& path) {
    if (state().shellHandler) return state().shellHandler(path);
    std::string native = ToNative(path);
    if (native.empty()) return ERROR_PATH_NOT_FOUND;
    struct stat st {};
    if (stat(native.c_str(), &st) != 0) return ERROR_FILE_NOT_FOUND;
    pid_t pid = fork();
    if (pid < 0) return ERROR_NOT_ENOUGH_MEMORY;
    if (pid == 0) {
        // Detach so the handler outlives us and never becomes a zombie of ours.
        if (fork() == 0) {
            execlp("xdg-open", "xdg-open", native.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        _exit(0);
    }
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return 42;
}

}  // namespace platform
