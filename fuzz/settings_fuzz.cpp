// install.ini of any shape: every key is read, and no value is longer than delivered.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "framework/IniFile.h"
#include "platform/Platform.h"
#include "platform/Seams.h"

namespace {

const std::string& folder() {
    static const std::string dir = [] {
        char pattern[] = "/tmp/settings-fuzz-XXXXXX";
        std::string d = mkdtemp(pattern);
        platform::Drive c;
        c.NativeRoot = d;
        static seams::DriveMapScope drives({c});
        return d;
    }();
    return dir;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string path = folder() + "/install.ini";
    if (std::FILE* f = std::fopen(path.c_str(), "wb")) {
        std::fwrite(data, 1, size, f);
        std::fclose(f);
    }
    TIniFile ini("C:\\install.ini");
    for (const char* key : {"APPZ......", "SIZE......", "DIR.......", "FILERAR...", "NFO.......",
                            "REG.......", "SCRTXT....", "FILES....."})
        if (ini.ReadString("OPTIONS", key, "default").size() > TIniFile::MaxValueLength)
            std::abort();
    return 0;
}
