// The running program's own file.
#include "platform/Platform.h"

#include <limits.h>
#include <unistd.h>

#include "platform/SeamHooks_p.h"
#include "platform/posix/PosixDrives.h"

std::string& seams::hooks::ProgramFileHook() {
    static std::string nativePath;
    return nativePath;
}

namespace platform {

using namespace posix;

// ---- Program ---------------------------------------------------------------------------------

std::string ProgramFileName() {
    if (const std::string& given = seams::hooks::ProgramFileHook(); !given.empty())
        return FromNative(given);
    char buf[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0) return "";
    buf[n] = 0;
    return FromNative(buf);
}

}  // namespace platform
