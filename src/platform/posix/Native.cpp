// Small native-path helpers shared by the POSIX units.
#include "platform/Platform.h"

#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cstdlib>

#include "platform/posix/PosixDrives.h"

namespace platform::posix {

bool IsLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool StartsWith(const std::string& s, const std::string& prefix) {
    return s.compare(0, prefix.size(), prefix) == 0;
}

std::string RealPathOr(const std::string& path) {
    char buf[PATH_MAX];
    return realpath(path.c_str(), buf) ? std::string(buf) : path;
}

bool IsDirectory(const std::string& native) {
    struct stat st {};
    return stat(native.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool IsDriveSpec(const std::string& p) {
    return p.size() >= 2 && p[1] == ':' && IsLetter(p[0]);
}

std::string NativeCwd() {
    char buf[PATH_MAX];
    if (!getcwd(buf, sizeof buf)) return "/";
    return buf;
}

std::string NativeRootDir(const Drive& d) {
    return d.NativeRoot.empty() ? "/" : d.NativeRoot;
}

bool Under(const std::string& path, const std::string& dir) {
    return path == dir || StartsWith(path, dir + "/");
}

}  // namespace platform::posix
