// The music library's replaceable behaviour, for Tune.cpp and Seams.cpp only.
//
// The library is shared and exports nothing but its calls, so the hook is a weak reference
// to a function the library does not define: in the program nothing defines it and it
// stays null; a test program that links music_seams defines it, and the library finds it
// there when it is loaded.
#pragma once

#include <atomic>

namespace seams::hooks {

// True when TUNEinit is to fail with TUNE_ERROR_AUDIO.
[[gnu::weak, gnu::visibility("default")]] std::atomic<bool>& TuneInitFailureHook();

}  // namespace seams::hooks
