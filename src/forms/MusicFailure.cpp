#include "forms/MusicFailure.h"

#include <cstdio>
#include <cstdlib>

#include "framework/Dialogs.h"
#include "music/tunedll.h"

namespace {
std::function<void(const std::string&, const std::string&)>& action() {
    static std::function<void(const std::string&, const std::string&)> a;
    return a;
}
}  // namespace

void SetMusicFailureAction(std::function<void(const std::string&, const std::string&)> a) {
    action() = std::move(a);
}

void MusicFailure(const std::string& caption) {
    const char* text = TUNEgetErrorMessage(TUNEgetLastError());
    if (action()) {
        action()(caption, text ? text : "");
        return;
    }
    MessageBox(text ? text : "", caption, MB_OK);
    TUNEclose();
    std::fflush(nullptr);
    std::_Exit(1);
}
