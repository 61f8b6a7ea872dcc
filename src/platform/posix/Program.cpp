// The running program's own file.
#include "platform/Platform.h"

#include <limits.h>
#include <unistd.h>

#include "platform/posix/PosixDrives.h"

namespace platform {

using namespace posix;

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

}  // namespace platform
