// The platform layer on POSIX systems: a drive map over the native file system.
#include "platform/Platform.h"

#include <dirent.h>
#include <fnmatch.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fstream>
#include <map>
#include <mutex>
#include <sstream>

namespace platform {
namespace {

struct State {
    bool loaded = false;
    std::vector<Drive> drives;
    std::map<char, std::string> currentPerDrive;  // letter -> native directory
    unsigned errorMode = 0;
    DiskSpaceQuery spaceQuery;
    ShellOpenHandler shellHandler;
};

State& state() {
    static State s;
    return s;
}

char lower(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }

std::string nativeRootDir(const Drive& d) { return d.NativeRoot.empty() ? "/" : d.NativeRoot; }

void ensureLoaded() {
    State& s = state();
    if (s.loaded) return;
    s.loaded = true;
    const char* env = std::getenv("INSTALLER_DRIVES");
    std::optional<std::vector<Drive>> parsed;
    if (env && *env) parsed = ParseDriveMap(env);
    s.drives = parsed ? *parsed : DefaultDrives();
    for (const Drive& d : s.drives) s.currentPerDrive[d.Letter] = nativeRootDir(d);
}

const Drive* findDrive(char letter) {
    ensureLoaded();
    letter = lower(letter);
    for (const Drive& d : state().drives)
        if (d.Letter == letter) return &d;
    return nullptr;
}

bool isDriveSpec(const std::string& p) {
    return p.size() >= 2 && p[1] == ':' && std::isalpha(static_cast<unsigned char>(p[0]));
}

std::string nativeCwd() {
    char buf[PATH_MAX];
    if (!getcwd(buf, sizeof buf)) return "/";
    return buf;
}

// Drive whose root holds the native path (the longest matching root wins).
const Drive* driveOfNative(const std::string& native) {
    ensureLoaded();
    const Drive* best = nullptr;
    size_t bestLen = 0;
    for (const Drive& d : state().drives) {
        const std::string& root = d.NativeRoot;
        bool match = root.empty() || native == root ||
                     (native.compare(0, root.size(), root) == 0 && native.size() > root.size() &&
                      native[root.size()] == '/');
        if (match && (best == nullptr || root.size() > bestLen)) {
            best = &d;
            bestLen = root.size();
        }
    }
    return best;
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

bool isDirectory(const std::string& native) {
    struct stat st{};
    return stat(native.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
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
        case 0: return ERROR_SUCCESS;
        case ENOENT: return ERROR_FILE_NOT_FOUND;
        case ENOTDIR: return ERROR_PATH_NOT_FOUND;
        case EACCES:
        case EPERM: return ERROR_ACCESS_DENIED;
        case EMFILE:
        case ENFILE: return ERROR_TOO_MANY_OPEN_FILES;
        case ENOMEM: return ERROR_NOT_ENOUGH_MEMORY;
        case EROFS: return ERROR_WRITE_PROTECT;
        case EEXIST: return ERROR_ALREADY_EXISTS;
        case ENOSPC:
        case EDQUOT: return ERROR_DISK_FULL;
        case ENAMETOOLONG: return ERROR_FILENAME_EXCED_RANGE;
        case EINVAL: return ERROR_INVALID_NAME;
        case ENOTEMPTY: return ERROR_DIR_NOT_EMPTY;
        case EBUSY:
        case ETXTBSY: return ERROR_SHARING_VIOLATION;
        case ENOMEDIUM:
        case EIO: return ERROR_NOT_READY;
        default: return 1117;  // ERROR_IO_DEVICE
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
        while (d.NativeRoot.size() > 1 && d.NativeRoot.back() == '/') d.NativeRoot.pop_back();
        if (d.NativeRoot == "/") d.NativeRoot.clear();
    }
    s.drives = std::move(drives);
    s.currentPerDrive.clear();
    for (const Drive& d : s.drives) s.currentPerDrive[d.Letter] = nativeRootDir(d);
}

void SetDriveReady(char letter, bool ready) {
    ensureLoaded();
    for (Drive& d : state().drives)
        if (d.Letter == lower(letter)) d.Ready = ready;
}

// Syntax: entries separated by ';', each "letter=native-dir[,key=value...]" with the keys
// type (fixed, removable, cdrom, remote, ramdisk), label, fs, flags (number), remote,
// ready (0 or 1).
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
        if (eq != 1 || !std::isalpha(static_cast<unsigned char>(field[0]))) return std::nullopt;
        Drive d;
        d.Letter = lower(field[0]);
        d.NativeRoot = field.substr(2);
        if (d.NativeRoot.empty() || d.NativeRoot[0] != '/') return std::nullopt;
        while (std::getline(fields, field, ',')) {
            auto e = field.find('=');
            if (e == std::string::npos) return std::nullopt;
            std::string key = field.substr(0, e), value = field.substr(e + 1);
            if (key == "type") {
                static const std::map<std::string, DriveType> types = {
                    {"fixed", DRIVE_FIXED},     {"removable", DRIVE_REMOVABLE},
                    {"cdrom", DRIVE_CDROM},     {"remote", DRIVE_REMOTE},
                    {"ramdisk", DRIVE_RAMDISK}, {"unknown", DRIVE_UNKNOWN},
                    {"noroot", DRIVE_NO_ROOT_DIR}};
                auto it = types.find(value);
                if (it == types.end()) return std::nullopt;
                d.Type = it->second;
            } else if (key == "label") {
                d.Label = value;
            } else if (key == "fs") {
                d.FileSystem = value;
            } else if (key == "flags") {
                d.Flags = static_cast<uint32_t>(std::strtoul(value.c_str(), nullptr, 0));
            } else if (key == "remote") {
                d.RemoteName = value;
            } else if (key == "ready") {
                d.Ready = value != "0";
            } else {
                return std::nullopt;
            }
        }
        while (d.NativeRoot.size() > 1 && d.NativeRoot.back() == '/') d.NativeRoot.pop_back();
        if (d.NativeRoot == "/") d.NativeRoot.clear();
        out.push_back(d);
    }
    std::sort(out.begin(), out.end(), [](const Drive& a, const Drive& b) {
        return a.Letter < b.Letter;
    });
    return out;
}

std::vector<Drive> DefaultDrives() {
    Drive c;
    c.Letter = 'c';
    c.NativeRoot = "";
    c.Type = DRIVE_FIXED;
    return {c};
}

// ---- Paths -----------------------------------------------------------------------------------

std::string ToNative(const std::string& platformPath) {
    ensureLoaded();
    State& s = state();
    std::string p = platformPath;
    // Network-style path of a native directory outside every drive.
    if (p.rfind("\\\\unix", 0) == 0) {
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
        drive = driveOfNative(cwd);
        std::string root = drive ? drive->NativeRoot : "";
        return normalise(root + slashes(p), root);
    } else {
        base = nativeCwd();
        drive = driveOfNative(base);
    }
    std::string root = drive ? drive->NativeRoot : "";
    std::string joined = p.empty() ? base : base + "/" + slashes(p);
    return normalise(joined, root);
}

std::string FromNative(const std::string& nativePath) {
    std::string native = nativePath.empty() ? "/" : nativePath;
    const Drive* d = driveOfNative(native);
    if (!d) {
        std::string out = "\\\\unix" + native;
        std::replace(out.begin() + 2, out.end(), '/', '\\');
        return out;
    }
    std::string rest = native.substr(d->NativeRoot.size());
    std::replace(rest.begin(), rest.end(), '/', '\\');
    if (rest.empty()) rest = "\\";
    std::string out;
    out += static_cast<char>(std::toupper(static_cast<unsigned char>(d->Letter)));
    out += ':';
    return out + rest;
}

// ---- Program ---------------------------------------------------------------------------------

namespace {
std::string& programOverride() {
    static std::string p;
    return p;
}
}  // namespace

void SetProgramFileName(const std::string& nativePath) { programOverride() = nativePath; }

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
    return d->Type;
}

unsigned GetVolumeInformation(const std::string& root, VolumeInformation& info) {
    if (!isDriveSpec(root)) return ERROR_PATH_NOT_FOUND;
    const Drive* d = findDrive(root[0]);
    if (!d) return ERROR_PATH_NOT_FOUND;
    if (!d->Ready) return ERROR_NOT_READY;
    if (!isDirectory(nativeRootDir(*d))) return ERROR_NOT_READY;
    info.Label = d->Label;
    info.Serial = d->Serial;
    info.FileSystemFlags = d->Flags;
    info.FileSystemName = d->FileSystem;
    info.MaxComponentLength = 255;
    return ERROR_SUCCESS;
}

unsigned SetErrorMode(unsigned mode) {
    unsigned old = state().errorMode;
    state().errorMode = mode;
    return old;
}

unsigned GetNetworkConnection(const std::string& localName, std::string& remoteName) {
    if (!isDriveSpec(localName)) return 1200;  // ERROR_BAD_DEVICE
    const Drive* d = findDrive(localName[0]);
    if (!d || d->Type != DRIVE_REMOTE || d->RemoteName.empty()) return 2250;  // not connected
    remoteName = d->RemoteName;
    return ERROR_SUCCESS;
}

void SetDiskSpaceQuery(DiskSpaceQuery query) { state().spaceQuery = std::move(query); }

unsigned GetDiskFreeSpace(const std::string& root, DiskSpace& space) {
    if (state().spaceQuery) return state().spaceQuery(root, space);
    std::string native = ToNative(root);
    if (native.empty()) return ERROR_PATH_NOT_FOUND;
    if (isDriveSpec(root)) {
        const Drive* d = findDrive(root[0]);
        if (d && !d->Ready) return ERROR_NOT_READY;
    }
    struct statvfs vfs{};
    if (statvfs(native.c_str(), &vfs) != 0) return ErrorFromErrno(errno);
    space.FreeBytesAvailableToCaller = static_cast<uint64_t>(vfs.f_bavail) * vfs.f_frsize;
    space.TotalBytes = static_cast<uint64_t>(vfs.f_blocks) * vfs.f_frsize;
    space.TotalFreeBytes = static_cast<uint64_t>(vfs.f_bfree) * vfs.f_frsize;
    return ERROR_SUCCESS;
}

// ---- Directories and files -------------------------------------------------------------------

std::string GetCurrentDirectory() { return FromNative(nativeCwd()); }

unsigned SetCurrentDirectory(const std::string& path) {
    if (path.empty()) return ERROR_INVALID_NAME;
    if (isDriveSpec(path)) {
        const Drive* d = findDrive(path[0]);
        if (!d) return ERROR_INVALID_NAME;
        if (!d->Ready) return ERROR_NOT_READY;
    }
    std::string native = ToNative(path);
    if (native.empty()) return ERROR_PATH_NOT_FOUND;
    struct stat st{};
    if (stat(native.c_str(), &st) != 0) {
        return errno == ENOENT ? notFoundCode(native) : ErrorFromErrno(errno);
    }
    if (!S_ISDIR(st.st_mode)) return ERROR_DIRECTORY;
    if (chdir(native.c_str()) != 0) return ErrorFromErrno(errno);
    std::string now = nativeCwd();
    if (const Drive* d = driveOfNative(now)) state().currentPerDrive[d->Letter] = now;
    return ERROR_SUCCESS;
}

uint32_t GetFileAttributes(const std::string& path) {
    std::string native = ToNative(path);
    if (native.empty()) return INVALID_FILE_ATTRIBUTES;
    if (isDriveSpec(path)) {
        const Drive* d = findDrive(path[0]);
        if (d && !d->Ready) return INVALID_FILE_ATTRIBUTES;
    }
    struct stat st{};
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
        if (!d->Ready) return ERROR_NOT_READY;
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
        if (d && !d->Ready) return ERROR_NOT_READY;
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
        struct stat st{};
        if (stat(full.c_str(), &st) != 0 && lstat(full.c_str(), &st) != 0) continue;
        FindData fd;
        fd.Name = name;
        fd.Size = static_cast<uint64_t>(st.st_size);
        if (S_ISDIR(st.st_mode)) fd.Attributes |= FILE_ATTRIBUTE_DIRECTORY;
        if (name.size() > 1 && name[0] == '.' && name != "..") fd.Attributes |= FILE_ATTRIBUTE_HIDDEN;
        if (!S_ISDIR(st.st_mode) && !S_ISREG(st.st_mode)) fd.Attributes |= FILE_ATTRIBUTE_SYSTEM;
        if (fd.Attributes == 0) fd.Attributes = FILE_ATTRIBUTE_NORMAL;
        found.push_back(fd);
    }
    closedir(dp);
    return found.empty() ? ERROR_FILE_NOT_FOUND : ERROR_SUCCESS;
}

// ---- Shell -----------------------------------------------------------------------------------

void SetShellOpenHandler(ShellOpenHandler handler) { state().shellHandler = std::move(handler); }

unsigned ShellOpen(const std::string& path) {
    if (state().shellHandler) return state().shellHandler(path);
    std::string native = ToNative(path);
    if (native.empty()) return ERROR_PATH_NOT_FOUND;
    struct stat st{};
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
