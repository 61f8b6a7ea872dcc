#include "forms/InstallOptions.h"

#include "framework/IniFile.h"
#include "framework/SysUtils.h"
#include "platform/Platform.h"

TInstallOptions InstallOptions;
std::string MusicFilePath;
std::string RegFilePath;

std::string ProgramDirectory() {
    return ExtractFilePath(platform::ProgramFileName());
}

void LoadInstallOptions(TInstallOptions& options) {
    const std::string dir = ProgramDirectory();
    MusicFilePath = dir + "install.dat";
    // Keys are padded with dots to ten characters; another number of dots is another key.
    const std::pair<const char*, std::string*> keys[] = {
        {"APPZ......", &options.APPZ},   {"SIZE......", &options.SIZE},
        {"DIR.......", &options.DIR},    {"FILERAR...", &options.FILERAR},
        {"NFO.......", &options.NFO},    {"REG.......", &options.REG},
        {"SCRTXT....", &options.SCRTXT}, {"FILES.....", &options.FILES},
    };
    TIniFile ini(dir + "install.ini");
    for (auto& [key, field] : keys) {
        std::string value = ini.ReadString("OPTIONS", key, *field);
        if (value.size() > TInstallOptions::Capacity) value.resize(TInstallOptions::Capacity);
        *field = value;
    }
    RegFilePath = dir + options.REG;
}
