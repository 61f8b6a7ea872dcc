#include "install/Installer.h"

#include <langinfo.h>

#include <clocale>
#include <cstring>

#include "forms/InstallerForms.h"
#include "framework/Forms.h"

int RunInstaller(int argc, char** argv) {
    // Names on disk go through the process locale: make it a UTF-8 one.
    std::setlocale(LC_ALL, "");
    if (std::strcmp(nl_langinfo(CODESET), "UTF-8") != 0) std::setlocale(LC_CTYPE, "C.UTF-8");
    TApplication application;
    application.Initialize(argc, argv);
    application.SetTitle("Tarnwick Installer v1.1");
    CreateInstallerForms(application);
    application.Run();
    return 0;
}
