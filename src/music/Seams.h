// Test seams of the music library. Linked into tests and benchmarks only (the music_seams
// library); the library as shipped has none.
//
// Each guard installs its replacement when constructed and puts back what was there before
// when destroyed. Guards nest: the innermost (last constructed) one wins, and they must be
// destroyed in reverse order of construction. Guards are not copyable.
#pragma once

namespace seams {

// Makes TUNEinit fail (fails) with TUNE_ERROR_AUDIO, as when the sound output cannot be
// started at all, or work as usual (false). The library stays uninitialised after such a
// failure; a TUNEinit once the failure is lifted succeeds.
class TuneInitFailureScope {
  public:
    explicit TuneInitFailureScope(bool fails = true);
    ~TuneInitFailureScope();
    TuneInitFailureScope(const TuneInitFailureScope&) = delete;
    TuneInitFailureScope& operator=(const TuneInitFailureScope&) = delete;

  private:
    bool saved_;
};

}  // namespace seams
