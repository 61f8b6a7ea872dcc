// The installer's settings from install.ini beside the program, and the paths derived from
// them. Filled once while the main window is created; read-only afterwards.
#pragma once

#include <string>

class TIniFile;

struct TInstallOptions {
    // Each field holds at most 250 characters, as the settings record always did.
    static constexpr size_t Capacity = 250;

    std::string APPZ;     // application name line of the main window
    std::string SIZE;     // space needed, in megabytes (decimal text)
    std::string DIR;      // name proposed for a new directory
    std::string FILERAR;  // first archive volume, relative to the program directory
    std::string NFO;      // information file, relative to the program directory
    std::string REG;      // post-install file, or "NONE"
    std::string SCRTXT;   // marquee text
    std::string FILES;    // number of archive volumes (decimal text)
};

extern TInstallOptions InstallOptions;
extern std::string MusicFilePath;
extern std::string RegFilePath;

// The directory of the running program, with its trailing "\".
std::string ProgramDirectory();

// Reads the eight keys of section OPTIONS into options (each value's current content is
// the default), then derives MusicFilePath and RegFilePath.
void LoadInstallOptions(TInstallOptions& options);
