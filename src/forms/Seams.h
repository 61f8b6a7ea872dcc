// Test seams of the installer's windows. Linked into tests and benchmarks only (the
// forms_seams library); the program has none.
//
// Each guard is a ScopedReplace of one hook (see ScopedReplace.h for nesting).
#pragma once

#include <functional>
#include <string>

#include "platform/ScopedReplace.h"

namespace seams {

// Replaces what MusicFailure does after a failing music call: instead of the box and the
// end of the program, the action receives the box's caption and the library's text for its
// last error, and MusicFailure returns; its caller then stops what it was doing. An empty
// action brings the box and the end back.
class MusicFailureScope
    : ScopedReplace<std::function<void(const std::string& caption, const std::string& text)>> {
  public:
    using Action = Value;
    explicit MusicFailureScope(Action action);
};

}  // namespace seams
