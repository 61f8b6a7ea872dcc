// The installer's five windows, created as start-up creates them, from a program folder of
// the test's own: a temporary folder that stands for the installation medium.
#pragma once

#include <map>
#include <memory>
#include <string>

#include "forms/InstallOptions.h"
#include "forms/InstallerForms.h"
#include "forms/MusicFailure.h"
#include "forms/Seams.h"
#include "forms/Unit1.h"
#include "forms/Unit2.h"
#include "forms/Unit3.h"
#include "forms/Unit4.h"
#include "forms/Unit5.h"
#include "framework/Application.h"
#include "platform/Platform.h"
#include "platform/Seams.h"
#include "support/GuiSupport.h"
#include "support/TestSupport.h"

namespace testing_support {

constexpr const char* kDemoIni =
    "[OPTIONS]\r\n"
    "APPZ......=Tarnwick - The Forgotten Tower\r\n"
    "SIZE......=3\r\n"
    "DIR.......=Tarnwick\r\n"
    "FILERAR...=tarnwick.part1.rar\r\n"
    "NFO.......=TARNWICK.NFO\r\n"
    "REG.......=README.TXT\r\n"
    "SCRTXT....=Welcome to Tarnwick!\r\n"
    "FILES.....=3\r\n";

class InstallerWindows {
  public:
    // files: name -> content, written into the program folder; an "install.ini" entry
    // replaces the demo settings (an empty content leaves the folder without one).
    explicit InstallerWindows(std::map<std::string, std::string> files = {}) {
        if (!files.count("install.ini")) files["install.ini"] = kDemoIni;
        for (auto& [name, content] : files)
            if (!(name == "install.ini" && content.empty())) WriteFile(folder / name, content);
        programFile = std::make_unique<seams::ProgramFileScope>(folder / "installer");
        InstallOptions = TInstallOptions{};
        CreateInstallerForms(*Application);
    }
    ~InstallerWindows() {
        delete Form5;
        delete Form4;
        delete Form3;
        delete Form2;
        delete Form1;
        Form1 = nullptr;
        Form2 = nullptr;
        Form3 = nullptr;
        Form4 = nullptr;
        Form5 = nullptr;
        programFile.reset();
    }
    // Native path of a file in the program folder.
    std::string Native(const std::string& name) const { return folder / name; }

    TempDir folder;
    std::vector<std::string> musicFailures;
    // The music is the program's own business here: failures are only recorded.
    seams::MusicFailureScope musicFailure{[this](const std::string& caption, const std::string&) {
        musicFailures.push_back(caption);
    }};

  private:
    std::unique_ptr<seams::ProgramFileScope> programFile;
};

}  // namespace testing_support
