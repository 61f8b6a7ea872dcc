// Test seams of the installer's windows. Linked into tests and benchmarks only (the
// forms_seams library); the program has none.
//
// Each guard installs its replacement when constructed and puts back what was there before
// when destroyed. Guards nest: the innermost (last constructed) one wins, and they must be
// destroyed in reverse order of construction. Guards are not copyable.
#pragma once

#include <functional>
#include <string>

namespace seams {

// Replaces what MusicFailure does after a failing music call: instead of the box and the
// end of the program, the action receives the box's caption and the library's text for its
// last error, and MusicFailure returns; its caller then stops what it was doing. An empty
// action brings the box and the end back.
class MusicFailureScope {
  public:
    using Action = std::function<void(const std::string& caption, const std::string& text)>;
    explicit MusicFailureScope(Action action);
    ~MusicFailureScope();
    MusicFailureScope(const MusicFailureScope&) = delete;
    MusicFailureScope& operator=(const MusicFailureScope&) = delete;

  private:
    Action saved_;
};

}  // namespace seams
