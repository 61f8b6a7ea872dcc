#include "framework/Seams.h"

#include <utility>

#include "framework/SeamHooks_p.h"

namespace seams {

namespace {
std::function<int()> depthOf(int bitsPerPixel) {
    if (bitsPerPixel <= 0) return {};
    return [bitsPerPixel] { return bitsPerPixel; };
}
}  // namespace

DialogScope::DialogScope(Responder responder)
    : ScopedReplace(hooks::DialogHook(), std::move(responder)) {}

NonClientMetricsScope::NonClientMetricsScope(bool available)
    : ScopedReplace(hooks::NonClientMetricsHook(), [available] { return available; }) {}

ScreenDepthScope::ScreenDepthScope(int bitsPerPixel)
    : ScopedReplace(hooks::ScreenDepthHook(), depthOf(bitsPerPixel)) {}

}  // namespace seams
