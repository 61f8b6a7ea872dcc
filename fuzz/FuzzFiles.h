// What the fuzz targets share: a scratch folder of their own, mapped as drive C: where the
// code under test looks for a medium's files, and writing one input into a file there.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "platform/Platform.h"
#include "platform/Seams.h"

namespace fuzz {

// A fresh folder named after the target, mapped as C: for the rest of the run.
inline const std::string& DriveC(const char* target) {
    static const std::string dir = [target] {
        std::string pattern = std::string("/tmp/") + target + "-fuzz-XXXXXX";
        std::string d = mkdtemp(pattern.data());
        platform::Drive c;
        c.NativeRoot = d;
        static seams::DriveMapScope drives({c});
        return d;
    }();
    return dir;
}

inline void WriteInput(const std::string& nativePath, const uint8_t* data, size_t size) {
    if (std::FILE* f = std::fopen(nativePath.c_str(), "wb")) {
        std::fwrite(data, 1, size, f);
        std::fclose(f);
    }
}

}  // namespace fuzz
