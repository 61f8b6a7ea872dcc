#include "music/Seams.h"

#include <atomic>

#include "music/SeamHooks_p.h"

namespace {
// The library asks from whichever thread calls it.
std::atomic<bool> initFails{false};
}  // namespace

bool seams::hooks::TuneInitFails() {
    return initFails;
}

namespace seams {

TuneInitFailureScope::TuneInitFailureScope(bool fails) : saved_(initFails.exchange(fails)) {}

TuneInitFailureScope::~TuneInitFailureScope() {
    initFails = saved_;
}

}  // namespace seams
