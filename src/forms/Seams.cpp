#include "forms/Seams.h"

#include <utility>

#include "forms/SeamHooks_p.h"

namespace seams {

MusicFailureScope::MusicFailureScope(Action action)
    : ScopedReplace(hooks::MusicFailureHook(), std::move(action)) {}

}  // namespace seams
