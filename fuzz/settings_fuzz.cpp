// install.ini of any shape: every key is read, and no value is longer than delivered.
#include <cstdlib>
#include <string>

#include "FuzzFiles.h"
#include "framework/IniFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string path = fuzz::DriveC("settings") + "/install.ini";
    fuzz::WriteInput(path, data, size);
    TIniFile ini("C:\\install.ini");
    for (const char* key : {"APPZ......", "SIZE......", "DIR.......", "FILERAR...", "NFO.......",
                            "REG.......", "SCRTXT....", "FILES....."})
        if (ini.ReadString("OPTIONS", key, "default").size() > TIniFile::MaxValueLength)
            std::abort();
    return 0;
}
