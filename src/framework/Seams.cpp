#include "framework/Seams.h"

#include <utility>

#include "framework/SeamHooks_p.h"

namespace seams {

DialogScope::DialogScope(Responder responder)
    : saved_(std::exchange(hooks::dialogResponder, std::move(responder))) {}

DialogScope::~DialogScope() {
    hooks::dialogResponder = std::move(saved_);
}

NonClientMetricsScope::NonClientMetricsScope(bool available)
    : saved_(std::exchange(hooks::nonClientMetricsAvailable, [available] { return available; })) {}

NonClientMetricsScope::~NonClientMetricsScope() {
    hooks::nonClientMetricsAvailable = std::move(saved_);
}

ScreenDepthScope::ScreenDepthScope(int bitsPerPixel)
    : saved_(std::exchange(hooks::screenColorDepth, std::function<int()>())) {
    if (bitsPerPixel > 0) hooks::screenColorDepth = [bitsPerPixel] { return bitsPerPixel; };
}

ScreenDepthScope::~ScreenDepthScope() {
    hooks::screenColorDepth = std::move(saved_);
}

}  // namespace seams
