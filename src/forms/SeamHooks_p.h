// The windows' replaceable behaviour, for the forms' own files and Seams.cpp only. Every
// hook is empty in the program; the guards of forms/Seams.h fill them in test builds.
#pragma once

#include <functional>
#include <string>

namespace seams::hooks {

// Takes the place of MusicFailure's box and the end of the program.
std::function<void(const std::string& caption, const std::string& text)>& MusicFailureHook();

}  // namespace seams::hooks
