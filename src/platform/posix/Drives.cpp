// Drive and volume queries over the drive map.
#include "platform/Platform.h"

#include <sys/stat.h>
#include <sys/statvfs.h>
#include <cerrno>

#include "platform/posix/PosixDrives.h"

namespace platform {

using namespace posix;

namespace posix {

// A drive without its medium.
bool NotReady(const Drive& d) {
    if ((d.Given & dfReady) || !d.Device.empty()) return !d.Ready;
    struct stat st {};
    return stat(NativeRootDir(d).c_str(), &st) != 0 && (errno == ENOMEDIUM || errno == EIO);
}

// The drive with the fields in want that are not given read from the system.
Drive Describe(const Drive& d, uint32_t want) {
    Drive out = d;
    want &= ~d.Given;
    if (!want) return out;
    std::string root = NativeRootDir(d);
    bool ready = !NotReady(d) && IsDirectory(root);
    if (want & dfReady) out.Ready = ready;
    std::vector<MountEntry> mounts = ReadMounts();
    const MountEntry* m = ready ? MountOf(mounts, RealPathOr(root)) : nullptr;
    bool device = m && StartsWith(m->Source, "/dev/");
    if (want & dfType) {
        if (!d.Device.empty() && !ready)
            out.Type =
                KindOfDevice(d.Device) == DeviceKind::Optical ? DRIVE_CDROM : DRIVE_REMOVABLE;
        else if (!IsDirectory(root))
            out.Type = DRIVE_NO_ROOT_DIR;
        else
            out.Type = m ? TypeOfMount(*m, device ? KindOfDevice(m->Source) : DeviceKind::None)
                         : DRIVE_FIXED;
    }
    if (want & dfLabel) out.Label = device ? ReadVolumeLabel(m->Source) : "";
    if (want & dfFileSystem) out.FileSystem = m ? m->FileSystem : "";
    if (want & dfFlags)
        out.Flags = m ? FlagsOfFileSystem(m->FileSystem, m->Options)
                      : FS_CASE_SENSITIVE | FS_CASE_IS_PRESERVED | FS_UNICODE_ON_DISK;
    if (want & dfRemote) out.RemoteName = m ? RemoteNameOfMount(*m) : "";
    if (want & dfSerial) {
        struct statvfs vfs {};
        out.Serial =
            ready && statvfs(root.c_str(), &vfs) == 0 ? static_cast<uint32_t>(vfs.f_fsid) : 0;
    }
    return out;
}

}  // namespace posix

std::optional<Drive> DriveOf(char letter) {
    Drive* d = FindDrive(letter);
    if (!d) return std::nullopt;
    return Describe(*d, dfAll);
}

// ---- Drives and volumes ----------------------------------------------------------------------

uint32_t GetLogicalDrives() {
    uint32_t mask = 0;
    for (const Drive& d : Drives()) mask |= 1u << (d.Letter - 'a');
    return mask;
}

unsigned GetDriveType(const std::string& root) {
    if (!IsDriveSpec(root)) return DRIVE_NO_ROOT_DIR;
    const Drive* d = FindDrive(root[0]);
    if (!d) return DRIVE_NO_ROOT_DIR;
    return Describe(*d, dfType).Type;
}

unsigned GetVolumeInformation(const std::string& root, VolumeInformation& info) {
    if (!IsDriveSpec(root)) return ERROR_PATH_NOT_FOUND;
    const Drive* d = FindDrive(root[0]);
    if (!d) return ERROR_PATH_NOT_FOUND;
    if (NotReady(*d) || !IsDirectory(NativeRootDir(*d))) return ERROR_NOT_READY;
    Drive v = Describe(*d, dfLabel | dfSerial | dfFlags | dfFileSystem);
    info.Label = v.Label;
    info.Serial = v.Serial;
    info.FileSystemFlags = v.Flags;
    info.FileSystemName = v.FileSystem;
    struct statvfs vfs {};
    info.MaxComponentLength =
        statvfs(NativeRootDir(*d).c_str(), &vfs) == 0 ? static_cast<uint32_t>(vfs.f_namemax) : 255;
    return ERROR_SUCCESS;
}

namespace {
unsigned errorMode = 0;
}  // namespace

unsigned SetErrorMode(unsigned mode) {
    unsigned old = errorMode;
    errorMode = mode;
    return old;
}

unsigned GetErrorMode() {
    return errorMode;
}

unsigned GetNetworkConnection(const std::string& localName, std::string& remoteName) {
    if (!IsDriveSpec(localName)) return ERROR_BAD_DEVICE;
    const Drive* d = FindDrive(localName[0]);
    if (!d) return ERROR_NOT_CONNECTED;
    Drive v = Describe(*d, dfType | dfRemote);
    if (v.Type != DRIVE_REMOTE || v.RemoteName.empty()) return ERROR_NOT_CONNECTED;
    remoteName = v.RemoteName;
    return ERROR_SUCCESS;
}

}  // namespace platform
