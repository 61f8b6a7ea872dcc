#include "install/Installer.h"

#include <langinfo.h>

#include <clocale>
#include <cstring>

#include <cstdio>
#include <cstdlib>

#include "forms/InstallerForms.h"
#include "forms/MusicFailure.h"
#include "music/tunedll.h"
#include "framework/Dialogs.h"
#include "framework/Forms.h"

namespace {

// For tests that drive the real program: with INSTALLER_DIALOG_LOG set, every dialog is
// written to that file ("caption|text" per line) and answered with its first button.
void installDialogLog() {
    const char* log = std::getenv("INSTALLER_DIALOG_LOG");
    if (!log || !*log) return;
    std::string path = log;
    SetDialogResponder([path](const TDialogInfo& d) {
        if (FILE* f = std::fopen(path.c_str(), "a")) {
            std::fprintf(f, "%s|%s\n", d.Caption.c_str(), d.Text.c_str());
            std::fclose(f);
        }
        return d.Results.empty() ? 1 : d.Results.front();
    });
}

}  // namespace

int RunInstaller(int argc, char** argv) {
    // Names on disk go through the process locale: make it a UTF-8 one.
    std::setlocale(LC_ALL, "");
    if (std::strcmp(nl_langinfo(CODESET), "UTF-8") != 0) std::setlocale(LC_CTYPE, "C.UTF-8");
    TApplication application;
    application.Initialize(argc, argv);
    installDialogLog();
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
