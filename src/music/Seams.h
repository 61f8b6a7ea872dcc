// Test seams of the music library. Linked into tests and benchmarks only (the music_seams
// library); the library as shipped has none.
//
// Each guard is a ScopedReplace of one hook (see ScopedReplace.h for nesting).
#pragma once

#include <atomic>

#include "platform/ScopedReplace.h"

namespace seams {

// Makes TUNEinit fail (fails) with TUNE_ERROR_AUDIO, as when the sound output cannot be
// started at all, or work as usual (false). The library stays uninitialised after such a
// failure; a TUNEinit once the failure is lifted succeeds.
class TuneInitFailureScope : ScopedReplace<std::atomic<bool>> {
  public:
    explicit TuneInitFailureScope(bool fails = true);
};

}  // namespace seams
