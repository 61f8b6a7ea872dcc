// The framework's replaceable behaviour, for its own files and Seams.cpp only. Every hook is
// empty in the program; the guards of framework/Seams.h fill them in test builds.
#pragma once

#include <functional>

struct TDialogInfo;

namespace seams::hooks {

// Answers a message dialog once it is up; returns the modal result to close it with.
std::function<int(const TDialogInfo&)>& DialogHook();
// Whether the non-client metrics can be read.
std::function<bool()>& NonClientMetricsHook();
// The screen's bits per pixel.
std::function<int()>& ScreenDepthHook();

}  // namespace seams::hooks
