#include "platform/Seams.h"

#include "platform/SeamHooks_p.h"

namespace seams {

DriveMapScope::DriveMapScope(std::vector<platform::Drive> drives)
    : replaced_(std::make_unique<ScopedReplace<platform::DriveMapState>>(platform::DriveMap(),
                                                                         platform::DriveMap())) {
    platform::InstallDrives(std::move(drives));
}

DriveMapScope::~DriveMapScope() = default;

namespace {
platform::Drive* driveOf(char letter) {
    for (platform::Drive& d : platform::DriveMap().drives)
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

ProgramFileScope::ProgramFileScope(std::string nativePath)
    : ScopedReplace(hooks::ProgramFileHook(), std::move(nativePath)) {}

DiskSpaceScope::DiskSpaceScope(DiskSpaceQuery query)
    : ScopedReplace(hooks::DiskSpaceHook(), std::move(query)) {}

ShellOpenScope::ShellOpenScope(ShellOpenHandler handler)
    : ScopedReplace(hooks::ShellOpenHook(), std::move(handler)) {}

}  // namespace seams
