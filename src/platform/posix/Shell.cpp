// Opening files with the desktop's handler.
#include "platform/Platform.h"

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <cerrno>

#include "platform/SeamHooks_p.h"
#include "platform/posix/PosixDrives.h"

std::function<unsigned(const std::string&)>& seams::hooks::ShellOpenHook() {
    static std::function<unsigned(const std::string&)> handler;
    return handler;
}

namespace platform {

using namespace posix;

namespace {
// What the platform's shell returns once the handler is started: any value above 32.
constexpr unsigned kHandlerStarted = 42;
}  // namespace

// ---- Shell -----------------------------------------------------------------------------------

unsigned ShellOpen(const std::string& path) {
    if (const auto& handler = seams::hooks::ShellOpenHook()) return handler(path);
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
    return kHandlerStarted;
}

}  // namespace platform
