// Archives of any content, unpacked by the component into a target folder; after every
// input nothing may exist outside the target but the archive itself.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "components/RARArc.h"
#include "platform/Platform.h"
#include "platform/Seams.h"

namespace fs = std::filesystem;

namespace {

const std::string& folder() {
    static const std::string dir = [] {
        char pattern[] = "/tmp/rar-fuzz-XXXXXX";
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
    const std::string root = folder();
    fs::create_directories(root + "/game/target");
    if (std::FILE* f = std::fopen((root + "/in.rar").c_str(), "wb")) {
        std::fwrite(data, 1, size, f);
        std::fclose(f);
    }
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
