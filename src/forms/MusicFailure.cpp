#include "forms/MusicFailure.h"

#include <cstdio>
#include <cstdlib>

#include "forms/SeamHooks_p.h"
#include "framework/Dialogs.h"
#include "music/tunedll.h"

std::function<void(const std::string&, const std::string&)>& seams::hooks::MusicFailureHook() {
    static std::function<void(const std::string&, const std::string&)> action;
    return action;
}

void MusicFailure(const std::string& caption) {
    const char* text = TUNEgetErrorMessage(TUNEgetLastError());
    if (const auto& action = seams::hooks::MusicFailureHook()) {
        action(caption, text ? text : "");
        return;
    }
    MessageBox(text ? text : "", caption, MB_OK);
    TUNEclose();
    std::fflush(nullptr);
    std::_Exit(1);
}
