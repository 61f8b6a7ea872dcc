#include "platform/Seams.h"

#include "platform/SeamHooks_p.h"

namespace seams {

namespace hooks = platform::hooks;

DriveMapScope::DriveMapScope(std::vector<platform::Drive> drives)
    : saved_(std::make_unique<hooks::DriveMapState>(hooks::DriveMap())) {
    hooks::InstallDrives(std::move(drives));
}

DriveMapScope::~DriveMapScope() {
    hooks::DriveMap() = *saved_;
}

namespace {
platform::Drive* driveOf(char letter) {
    for (platform::Drive& d : hooks::DriveMap().drives)
        if (d.Letter == platform::AsciiLower(letter)) return &d;
    return nullptr;
}
}  // namespace

DriveReadyScope::DriveReadyScope(char letter, bool ready) : letter_(letter) {
    // Loads the map and lets a media drive follow its device first, as any query does.
    platform::DriveOf(letter);
    if (platform::Drive* d = driveOf(letter)) {
        found_ = true;
        savedReady_ = d->Ready;
        savedGiven_ = d->Given;
        d->Ready = ready;
        d->Given |= platform::dfReady;
    }
}

DriveReadyScope::~DriveReadyScope() {
    if (!found_) return;
    if (platform::Drive* d = driveOf(letter_)) {
        d->Ready = savedReady_;
        d->Given = savedGiven_;
    }
}

ProgramFileScope::ProgramFileScope(std::string nativePath) : saved_(hooks::ProgramFileHook()) {
    hooks::ProgramFileHook() = std::move(nativePath);
}

ProgramFileScope::~ProgramFileScope() {
    hooks::ProgramFileHook() = saved_;
}

DiskSpaceScope::DiskSpaceScope(DiskSpaceQuery query) : saved_(hooks::DiskSpaceHook()) {
    hooks::DiskSpaceHook() = std::move(query);
}

DiskSpaceScope::~DiskSpaceScope() {
    hooks::DiskSpaceHook() = std::move(saved_);
}

ShellOpenScope::ShellOpenScope(ShellOpenHandler handler) : saved_(hooks::ShellOpenHook()) {
    hooks::ShellOpenHook() = std::move(handler);
}

ShellOpenScope::~ShellOpenScope() {
    hooks::ShellOpenHook() = std::move(saved_);
}

}  // namespace seams
