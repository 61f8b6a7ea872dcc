// Directories, files and free space.
#include "platform/Platform.h"

#include <dirent.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>
#include <cerrno>

#include "platform/SeamHooks_p.h"
#include "platform/posix/PosixDrives.h"

std::function<unsigned(const std::string&, platform::DiskSpace&)>& seams::hooks::DiskSpaceHook() {
    static std::function<unsigned(const std::string&, platform::DiskSpace&)> query;
    return query;
}

namespace platform {

using namespace posix;

namespace {

// Windows refuses these characters in a name.
bool hasInvalidNameChar(const std::string& platformPath) {
    size_t start = IsDriveSpec(platformPath) ? 2 : 0;
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
    return IsDirectory(parent) ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND;
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

// ---- Space --------------------------------------------------------------------------------------

unsigned GetDiskFreeSpace(const std::string& root, DiskSpace& space) {
    if (const auto& query = seams::hooks::DiskSpaceHook()) return query(root, space);
    std::string native = ToNative(root);
    if (native.empty()) return ERROR_PATH_NOT_FOUND;
    if (IsDriveSpec(root)) {
        const Drive* d = FindDrive(root[0]);
        if (d && NotReady(*d)) return ERROR_NOT_READY;
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
    std::string native = NativeCwd();
    return FromNativeOn(native, CurrentDriveOf(native));
}

unsigned SetCurrentDirectory(const std::string& path) {
    if (path.empty()) return ERROR_INVALID_NAME;
    // The drive the path goes through: the one it names, the current one for a relative
    // or rooted path, none for a network path.
    const Drive* through = nullptr;
    if (IsDriveSpec(path)) {
        const Drive* d = FindDrive(path[0]);
        if (!d) return ERROR_INVALID_NAME;
        if (NotReady(*d)) return ERROR_NOT_READY;
        through = d;
    } else if (!StartsWith(path, "\\\\")) {
        through = CurrentDriveOf(NativeCwd());
    }
    std::string native = ToNative(path);
    if (native.empty()) return ERROR_PATH_NOT_FOUND;
    struct stat st {};
    if (stat(native.c_str(), &st) != 0) {
        return errno == ENOENT ? notFoundCode(native) : ErrorFromErrno(errno);
    }
    if (!S_ISDIR(st.st_mode)) return ERROR_DIRECTORY;
    if (chdir(native.c_str()) != 0) return ErrorFromErrno(errno);
    std::string now = NativeCwd();
    const Drive* d = through && Holds(*through, now) ? through : DriveOfNative(now);
    DriveMap().currentDrive = d ? d->Letter : 0;
    if (d) DriveMap().currentPerDrive[d->Letter] = now;
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
    if (IsDriveSpec(path)) {
        const Drive* d = FindDrive(path[0]);
        if (d && NotReady(*d)) return INVALID_FILE_ATTRIBUTES;
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
    if (IsDriveSpec(path)) {
        const Drive* d = FindDrive(path[0]);
        if (!d) return ERROR_PATH_NOT_FOUND;
        if (NotReady(*d)) return ERROR_NOT_READY;
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
    if (IsDriveSpec(pattern)) {
        const Drive* d = FindDrive(pattern[0]);
        if (d && NotReady(*d)) return ERROR_NOT_READY;
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

}  // namespace platform
