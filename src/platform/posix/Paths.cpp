// Platform paths and native paths.
#include "platform/Platform.h"

#include <sstream>

#include "platform/SeamHooks_p.h"
#include "platform/posix/PosixDrives.h"

namespace platform {

using namespace posix;

namespace {

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

}  // namespace

// ---- Paths -----------------------------------------------------------------------------------

std::string WithSeparators(std::string path, char separator) {
    for (char& c : path)
        if (c == '/' || c == '\\') c = separator;
    return path;
}

std::string ToNative(const std::string& platformPath) {
    EnsureLoaded();
    DriveMapState& s = DriveMap();
    std::string p = platformPath;
    // Network-style path of a native directory outside every drive.
    if (p.rfind("\\\\", 0) == 0) {
        // Only the machine's own "server" is reachable.
        if (p.rfind("\\\\unix", 0) != 0 || (p.size() > 6 && p[6] != '\\')) return "";
        std::string rest = WithSeparators(p.substr(6), '/');
        return normalise(rest.empty() ? "/" : rest, "");
    }
    const Drive* drive = nullptr;
    std::string base;
    if (IsDriveSpec(p)) {
        drive = FindDrive(p[0]);
        if (!drive) return "";
        std::string rest = p.substr(2);
        if (!rest.empty() && (rest[0] == '\\' || rest[0] == '/')) {
            return normalise(drive->NativeRoot + WithSeparators(rest, '/'), drive->NativeRoot);
        }
        base = s.currentPerDrive[drive->Letter];
        p = rest;
    } else if (!p.empty() && (p[0] == '\\' || p[0] == '/')) {
        // Root of the current drive.
        std::string cwd = NativeCwd();
        drive = CurrentDriveOf(cwd);
        std::string root = drive ? drive->NativeRoot : "";
        return normalise(root + WithSeparators(p, '/'), root);
    } else {
        base = NativeCwd();
        drive = CurrentDriveOf(base);
    }
    std::string root = drive ? drive->NativeRoot : "";
    std::string joined = p.empty() ? base : base + "/" + WithSeparators(p, '/');
    return normalise(joined, root);
}

namespace posix {

std::string FromNativeOn(const std::string& native, const Drive* d) {
    if (!d) {
        return "\\\\unix" + WithSeparators(native, '\\');
    }
    std::string rest = WithSeparators(native.substr(d->NativeRoot.size()), '\\');
    if (rest.empty()) rest = "\\";
    std::string out;
    out += AsciiUpper(d->Letter);
    out += ':';
    return out + rest;
}

}  // namespace posix

std::string FromNative(const std::string& nativePath) {
    std::string native = nativePath.empty() ? "/" : nativePath;
    return FromNativeOn(native, DriveOfNative(native));
}

}  // namespace platform
