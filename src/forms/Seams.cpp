#include "forms/Seams.h"

#include <utility>

#include "forms/SeamHooks_p.h"

namespace seams {

MusicFailureScope::MusicFailureScope(Action action)
    : saved_(std::exchange(hooks::musicFailure, std::move(action))) {}

MusicFailureScope::~MusicFailureScope() {
    hooks::musicFailure = std::move(saved_);
}

}  // namespace seams
