// The services the installer needs from the operating system, with the semantics of the
// platform it was designed for: drive letters, backslash paths, a current directory per
// drive and numeric platform error codes. Everything above this layer sees platform
// paths ("C:\Games\Race") only; native paths appear at library boundaries through
// ToNative / FromNative.
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace platform {

// Platform error codes (the subset the program can meet).
enum ErrorCode : unsigned {
    ERROR_SUCCESS = 0,
    ERROR_FILE_NOT_FOUND = 2,
    ERROR_PATH_NOT_FOUND = 3,
    ERROR_TOO_MANY_OPEN_FILES = 4,
    ERROR_ACCESS_DENIED = 5,
    ERROR_NOT_ENOUGH_MEMORY = 8,
    ERROR_WRITE_PROTECT = 19,
    ERROR_NOT_READY = 21,
    ERROR_SHARING_VIOLATION = 32,
    ERROR_FILE_EXISTS = 80,
    ERROR_DISK_FULL = 112,
    ERROR_INVALID_NAME = 123,
    ERROR_DIR_NOT_EMPTY = 145,
    ERROR_ALREADY_EXISTS = 183,
    ERROR_FILENAME_EXCED_RANGE = 206,
    ERROR_DIRECTORY = 267,
    ERROR_IO_DEVICE = 1117,
    ERROR_BAD_DEVICE = 1200,
    ERROR_NOT_CONNECTED = 2250,
};

// Maps a C errno value to the platform error code.
unsigned ErrorFromErrno(int err);

// File attributes as the platform reports them.
enum FileAttribute : uint32_t {
    FILE_ATTRIBUTE_READONLY = 0x01,
    FILE_ATTRIBUTE_HIDDEN = 0x02,
    FILE_ATTRIBUTE_SYSTEM = 0x04,
    FILE_ATTRIBUTE_VOLUME = 0x08,
    FILE_ATTRIBUTE_DIRECTORY = 0x10,
    FILE_ATTRIBUTE_ARCHIVE = 0x20,
    FILE_ATTRIBUTE_NORMAL = 0x80,
};
constexpr uint32_t INVALID_FILE_ATTRIBUTES = 0xFFFFFFFFu;

enum DriveType : unsigned {
    DRIVE_UNKNOWN = 0,
    DRIVE_NO_ROOT_DIR = 1,
    DRIVE_REMOVABLE = 2,
    DRIVE_FIXED = 3,
    DRIVE_REMOTE = 4,
    DRIVE_CDROM = 5,
    DRIVE_RAMDISK = 6,
};

// File-system flags of a volume.
enum FileSystemFlag : uint32_t {
    FS_CASE_SENSITIVE = 0x1,
    FS_CASE_IS_PRESERVED = 0x2,
    FS_UNICODE_ON_DISK = 0x4,
};

// Error modes around volume queries.
enum ErrorModeFlag : unsigned { SEM_FAILCRITICALERRORS = 0x1 };

// ---- Drive map -----------------------------------------------------------------------------
// A drive letter stands for a native directory. The default map puts c: on the root of the
// file system and further letters on mounted file systems a user thinks of as drives (a
// separate home, removable and optical media, network mounts). The environment variable
// INSTALLER_DRIVES replaces it (syntax at ParseDriveMap, see also the README), and tests
// may install a map directly.

// The fields of a drive that are taken as given; the others are read from the system each
// time they are asked for (the default map leaves all of them to the system).
enum DriveField : uint32_t {
    dfType = 0x01,
    dfLabel = 0x02,
    dfFileSystem = 0x04,
    dfFlags = 0x08,
    dfRemote = 0x10,
    dfReady = 0x20,
    dfSerial = 0x40,
    dfAll = 0x7F,
};

struct Drive {
    char Letter = 'c';       // lower case
    std::string NativeRoot;  // native directory without trailing '/', "" for "/"
    DriveType Type = DRIVE_FIXED;
    std::string Label;  // volume label
    std::string FileSystem = "ext4";
    uint32_t Flags = FS_CASE_SENSITIVE | FS_CASE_IS_PRESERVED | FS_UNICODE_ON_DISK;
    std::string RemoteName;  // network drives: the remote name
    bool Ready = true;       // false: no medium (removable or optical drive)
    uint32_t Serial = 0;
    // Block device of a media drive ("/dev/sr0"): the drive is ready while the device is
    // mounted, and its root follows the mount point.
    std::string Device;
    uint32_t Given = dfAll;
};

// Returns the current map (built on first use from INSTALLER_DRIVES or the default).
const std::vector<Drive>& Drives();
// Replaces the map; the per-drive current directories are reset to the drive roots.
void SetDrives(std::vector<Drive> drives);
// Parses the INSTALLER_DRIVES syntax; returns nothing when the text is malformed.
// Entries are separated by ';', each "letter=native-dir[,key=value...]" with the keys
// type (fixed, removable, cdrom, remote, ramdisk, unknown, noroot), label, fs, flags (a
// number, 0x.. allowed), remote, ready (0 or 1) and device. A key that is left out is read
// from the system. Example: "c=/;d=/media/cdrom,type=cdrom,device=/dev/sr0;n=/srv/share".
std::optional<std::vector<Drive>> ParseDriveMap(const std::string& text);
// The default map for this machine.
std::vector<Drive> DefaultDrives();
// The drive of a letter as the system sees it now (fields not given filled in), or nothing.
std::optional<Drive> DriveOf(char letter);
// Changes a drive's medium state (tests and removable media); the state is then given.
void SetDriveReady(char letter, bool ready);

// ---- Paths ---------------------------------------------------------------------------------
// Platform path -> native path. Relative and drive-relative paths are resolved against
// the current directory of their drive. Returns "" when the path names no mapped drive.
std::string ToNative(const std::string& platformPath);
// Native path -> platform path ("C:\dir\file"). A path under no mapped drive comes back as
// a network-style path ("\\unix\dir\file").
std::string FromNative(const std::string& nativePath);

// ---- Program -------------------------------------------------------------------------------
// The running program's own full file name, as a platform path.
std::string ProgramFileName();
// Test seam: makes ProgramFileName report another (native) file; "" restores the real one.
void SetProgramFileName(const std::string& nativePath);

// ---- Drives and volumes --------------------------------------------------------------------
uint32_t GetLogicalDrives();                     // bit 0 = a:, bit 25 = z:
unsigned GetDriveType(const std::string& root);  // root such as "c:\"
struct VolumeInformation {
    std::string Label;
    uint32_t Serial = 0;
    uint32_t MaxComponentLength = 255;
    uint32_t FileSystemFlags = 0;
    std::string FileSystemName;
};
// Returns 0 and fills info, or a platform error code (ERROR_NOT_READY without a medium).
unsigned GetVolumeInformation(const std::string& root, VolumeInformation& info);
// The critical-error mode; returns the previous mode.
unsigned SetErrorMode(unsigned mode);
unsigned GetErrorMode();
// Remote name of a network drive ("D:"); returns 0 or an error code.
unsigned GetNetworkConnection(const std::string& localName, std::string& remoteName);
// Space on the volume holding root. Returns 0 or an error code.
struct DiskSpace {
    uint64_t FreeBytesAvailableToCaller = 0;
    uint64_t TotalBytes = 0;
    uint64_t TotalFreeBytes = 0;
};
unsigned GetDiskFreeSpace(const std::string& root, DiskSpace& space);
// Test seam: when set, answers the space query instead of the file system.
using DiskSpaceQuery = std::function<unsigned(const std::string& root, DiskSpace& space)>;
void SetDiskSpaceQuery(DiskSpaceQuery query);

// ---- Directories and files -----------------------------------------------------------------
// The process's current directory as a platform path.
std::string GetCurrentDirectory();
// Changes the current directory. "d:" alone goes to the directory last current on d:.
// Returns 0 or a platform error code; on failure nothing changes.
unsigned SetCurrentDirectory(const std::string& path);
uint32_t GetFileAttributes(const std::string& path);  // INVALID_FILE_ATTRIBUTES on failure
unsigned CreateDirectory(const std::string& path);    // 0 or error code

// Opens a native path for reading only when it names a regular file (links followed). A
// medium may hold anything under a file's name: a FIFO, a device or a folder is refused
// without blocking. Returns the open file, or null.
std::FILE* OpenRegularFile(const std::string& nativePath);

struct FindData {
    std::string Name;
    uint32_t Attributes = 0;
    uint64_t Size = 0;
};
// Enumerates the entries matching pattern ("dir\*.*", wildcards in the last component
// only). Dot-names carry the hidden attribute. Returns 0 (possibly with no entries found:
// then ERROR_FILE_NOT_FOUND) or an error code.
unsigned FindFiles(const std::string& pattern, std::vector<FindData>& found);
// The same, as the runtime's directory search does it: entries carrying the hidden,
// system, volume-label or directory attribute are left out unless attributes asks for it.
unsigned FindFiles(const std::string& pattern, uint32_t attributes, std::vector<FindData>& found);

// ---- Shell ---------------------------------------------------------------------------------
// Opens a file or folder with the desktop's default handler ("open" verb). Returns a value
// above 32 on success, as the platform's shell does.
unsigned ShellOpen(const std::string& path);
// Test seam: replaces the desktop handler; receives the platform path.
using ShellOpenHandler = std::function<unsigned(const std::string& path)>;
void SetShellOpenHandler(ShellOpenHandler handler);

}  // namespace platform
