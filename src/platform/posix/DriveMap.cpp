// The drive map: INSTALLER_DRIVES or the default one from the mount table.
#include "platform/Platform.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <sstream>

#include "platform/SeamHooks_p.h"
#include "platform/posix/PosixDrives.h"

namespace platform {

using namespace posix;

namespace posix {

void TrimRoot(Drive& d) {
    while (d.NativeRoot.size() > 1 && d.NativeRoot.back() == '/') d.NativeRoot.pop_back();
    if (d.NativeRoot == "/") d.NativeRoot.clear();
}

void EnsureLoaded() {
    DriveMapState& s = DriveMap();
    if (s.loaded) return;
    s.loaded = true;
    const char* env = std::getenv("INSTALLER_DRIVES");
    std::optional<std::vector<Drive>> parsed;
    if (env && *env) {
        parsed = ParseDriveMap(env);
        if (!parsed)
            std::fprintf(stderr, "INSTALLER_DRIVES is malformed; the default drives apply\n");
    }
    InstallDrives(parsed ? *parsed : DefaultDrives());
}

namespace {

// A media drive follows its device: ready while the device is mounted, rooted where it is.
void followDevice(Drive& d) {
    if (d.Device.empty() || (d.Given & dfReady)) return;
    std::string device = RealPathOr(d.Device);
    const MountEntry* found = nullptr;
    std::vector<MountEntry> mounts = ReadMounts();
    for (const MountEntry& m : mounts)
        if (StartsWith(m.Source, "/dev/") && RealPathOr(m.Source) == device) found = &m;
    d.Ready = found != nullptr;
    if (!found) return;
    std::string root = found->MountPoint == "/" ? "" : found->MountPoint;
    if (root != d.NativeRoot) {
        d.NativeRoot = root;
        DriveMap().currentPerDrive[d.Letter] = NativeRootDir(d);
    }
}

}  // namespace

Drive* FindDrive(char letter) {
    EnsureLoaded();
    letter = AsciiLower(letter);
    for (Drive& d : DriveMap().drives)
        if (d.Letter == letter) {
            followDevice(d);
            return &d;
        }
    return nullptr;
}

// Whether the native path lies on the drive (its root or below).
bool Holds(const Drive& d, const std::string& native) {
    const std::string& root = d.NativeRoot;
    return root.empty() || native == root ||
           (StartsWith(native, root) && native.size() > root.size() && native[root.size()] == '/');
}

// Drive whose root holds the native path (the longest matching root wins). A media drive
// without its medium holds nothing.
const Drive* DriveOfNative(const std::string& native) {
    EnsureLoaded();
    const Drive* best = nullptr;
    size_t bestLen = 0;
    for (const Drive& d : DriveMap().drives) {
        if (!d.Device.empty() && !d.Ready) continue;
        if (Holds(d, native) && (best == nullptr || d.NativeRoot.size() > bestLen)) {
            best = &d;
            bestLen = d.NativeRoot.size();
        }
    }
    return best;
}

// The drive of the process's current directory: the one it was entered through while it
// still holds it, else the drive whose root holds it.
const Drive* CurrentDriveOf(const std::string& nativeCwdPath) {
    EnsureLoaded();
    for (const Drive& d : DriveMap().drives)
        if (d.Letter == DriveMap().currentDrive && (d.Device.empty() || d.Ready) &&
            Holds(d, nativeCwdPath))
            return &d;
    return DriveOfNative(nativeCwdPath);
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
        if (point == "/" || Under(point, "/proc") || Under(point, "/sys") || Under(point, "/dev"))
            continue;
        if (Under(point, "/run") && !Under(point, "/run/media")) continue;
        bool blockDevice = StartsWith(m->Source, "/dev/");
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
        } else if (blockDevice && (media || Under(point, "/media") || Under(point, "/run/media") ||
                                   Under(point, "/mnt"))) {
            group = 1;
        } else {
            continue;
        }
        if (media) {
            d.Device = m->Source;
            d.Type = kind == DeviceKind::Optical ? DRIVE_CDROM : DRIVE_REMOVABLE;
            d.Given = dfType;
            mountedDevices.push_back(RealPathOr(m->Source));
        }
        groups[group].push_back(d);
    }
    // An optical drive without a disc is still a drive: it is just not ready.
    for (const std::string& dev : opticalDevices) {
        if (std::find(mountedDevices.begin(), mountedDevices.end(), RealPathOr(dev)) !=
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

// ---- Drive map -------------------------------------------------------------------------------

const std::vector<Drive>& Drives() {
    EnsureLoaded();
    return DriveMap().drives;
}

DriveMapState& DriveMap() {
    static DriveMapState s;
    return s;
}

void InstallDrives(std::vector<Drive> drives) {
    DriveMapState& s = DriveMap();
    s.loaded = true;
    for (Drive& d : drives) {
        d.Letter = AsciiLower(d.Letter);
        TrimRoot(d);
    }
    s.drives = std::move(drives);
    s.currentPerDrive.clear();
    s.currentDrive = 0;
    for (const Drive& d : s.drives) s.currentPerDrive[d.Letter] = NativeRootDir(d);
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
        if (eq != 1 || !IsLetter(field[0])) return std::nullopt;
        Drive d;
        d.Letter = AsciiLower(field[0]);
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
                if (!StartsWith(value, "/")) return std::nullopt;
                d.Device = value;
            } else {
                return std::nullopt;
            }
        }
        TrimRoot(d);
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
    return DrivesFromMounts(
        ReadMounts(), home ? home : "", [](const std::string& dev) { return KindOfDevice(dev); },
        OpticalDevices());
}

}  // namespace platform
