// Archives of any content, unpacked by the component into a target folder; after every
// input nothing may exist outside the target but the archive itself.
#include <cstdlib>
#include <filesystem>
#include <string>

#include "FuzzFiles.h"
#include "components/RARArc.h"

namespace fs = std::filesystem;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string root = fuzz::DriveC("rar");
    fs::create_directories(root + "/game/target");
    fuzz::WriteInput(root + "/in.rar", data, size);
    TRAR rar;
    rar.SetArchiveName("C:\\in.rar");
    rar.SetTargetDir("C:\\game\\target");
    rar.OnVolumeChange = [](TObject*, char*, int mode) { return mode == RAR_VOL_NOTIFY ? 1 : 0; };
    rar.OnReqPassword = [](TObject*, RARHeaderData&, std::string& password) { password = "pw"; };
    rar.Extract();
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(root, ec);
         it != fs::recursive_directory_iterator(); it.increment(ec)) {
        std::string p = it->path().string();
        bool allowed =
            p == root + "/in.rar" || p == root + "/game" || p.rfind(root + "/game/target", 0) == 0;
        if (!allowed) {
            std::fprintf(stderr, "written outside the target: %s\n", p.c_str());
            std::abort();
        }
    }
    fs::remove_all(root + "/game/target", ec);
    return 0;
}
