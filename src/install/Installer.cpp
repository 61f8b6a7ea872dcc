#include "install/Installer.h"

#include <QtGlobal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "forms/InstallerForms.h"
#include "forms/MusicFailure.h"
#include "framework/Application.h"
#include "framework/Forms.h"
#include "music/tunedll.h"

namespace {

bool isSet(const char* name) {
    const char* value = std::getenv(name);
    return value && *value;
}

// The toolkit aborts with advice about reinstalling when it cannot open a display. Said
// plainly instead, and the program ends with a failure code.
[[noreturn]] void noDisplay(const char* detail) {
    std::fprintf(stderr,
                 "Tarnwick Installer: no display could be opened%s. Start it from a desktop "
                 "session, or set DISPLAY (X11) or WAYLAND_DISPLAY (Wayland).\n",
                 detail);
    std::fflush(stderr);
    std::_Exit(1);
}

void checkDisplay() {
    // An explicitly chosen platform (offscreen, vnc, ...) needs neither variable.
    if (isSet("QT_QPA_PLATFORM") || isSet("DISPLAY") || isSet("WAYLAND_DISPLAY")) return;
    noDisplay(" (neither DISPLAY nor WAYLAND_DISPLAY is set)");
}

// A display that is named but cannot be reached fails inside the toolkit: its fatal
// message while the application object is being created is replaced by ours.
QtMessageHandler previousHandler = nullptr;
void startupMessages(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (type == QtFatalMsg) {
        std::string detail;
        if (isSet("DISPLAY")) detail += std::string(" (DISPLAY=") + std::getenv("DISPLAY") + ")";
        if (isSet("WAYLAND_DISPLAY"))
            detail += std::string(" (WAYLAND_DISPLAY=") + std::getenv("WAYLAND_DISPLAY") + ")";
        noDisplay(detail.c_str());
    }
    // The toolkit's own account of the failing plugin would only confuse.
    if (context.category && std::strcmp(context.category, "qt.qpa.plugin") == 0) return;
    if (previousHandler) previousHandler(type, context, text);
}

}  // namespace

int RunInstaller(int argc, char** argv) {
    checkDisplay();
    TApplication application;
    previousHandler = qInstallMessageHandler(startupMessages);
    application.Initialize(argc, argv);
    qInstallMessageHandler(previousHandler);
    // The music starts before any window; a failure is reported and ends the program.
    TUNEstartup();
    if (!TUNEinit()) MusicFailure("TUNE Error");
    if (!TUNEstartBackgroundPlay(0)) MusicFailure("TUNE Error");
    application.SetTitle("Tarnwick Installer v1.1");
    CreateInstallerForms(application);
    application.Run();
    if (!TUNEstopBackgroundPlay()) MusicFailure("TUNE Error");
    TUNEclose();
    return 0;
}
