#include "music/Seams.h"

#include "music/SeamHooks_p.h"

std::atomic<bool>& seams::hooks::TuneInitFailureHook() {
    // The library asks from whichever thread calls it.
    static std::atomic<bool> fails{false};
    return fails;
}

namespace seams {

TuneInitFailureScope::TuneInitFailureScope(bool fails)
    : ScopedReplace(hooks::TuneInitFailureHook(), fails) {}

}  // namespace seams
