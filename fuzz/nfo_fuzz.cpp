// Information files of any content: loaded with the viewer's bound and converted from the
// OEM code page; the text never grows past what the conversion allows.
#include <cstdlib>
#include <string>

#include "FuzzFiles.h"
#include "forms/Unit4.h"
#include "framework/StdCtrls.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string path = [] {
        char pattern[] = "/tmp/nfo-fuzz-XXXXXX";
        return std::string(mkdtemp(pattern)) + "/T.NFO";
    }();
    fuzz::WriteInput(path, data, size);
    std::optional<std::string> bytes = ReadTextFileBytes(path, TMemo::Capacity + 3);
    if (!bytes || bytes->size() > size) std::abort();
    try {
        if (OemToUtf8(*bytes).size() > 3 * bytes->size()) std::abort();
    } catch (const std::exception&) {
    }
    return 0;
}
