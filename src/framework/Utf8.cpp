#include "framework/Utf8.h"

#include <langinfo.h>
#include <strings.h>

#include <cstdint>

size_t Utf8CharLength(const std::string& s, size_t i) {
    if (i >= s.size()) return 0;
    unsigned char lead = static_cast<unsigned char>(s[i]);
    size_t n = lead < 0xC2 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : lead < 0xF5 ? 4 : 1;
    if (n == 1 || i + n > s.size()) return 1;
    for (size_t k = 1; k < n; ++k)
        if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return 1;
    return n;
}

size_t Utf8Utf16Length(const std::string& s) {
    size_t units = 0;
    for (size_t i = 0, n; i < s.size(); i += n) {
        n = Utf8CharLength(s, i);
        units += n == 4 ? 2 : 1;
    }
    return units;
}

std::string Utf8Left(const std::string& s, size_t count) {
    size_t i = 0;
    for (size_t chars = 0; i < s.size() && chars < count; ++chars) i += Utf8CharLength(s, i);
    return s.substr(0, i);
}

size_t Utf8EncodedLength(const wchar_t* text) {
    size_t n = 0;
    for (; *text; ++text) {
        auto c = static_cast<uint32_t>(*text);
        n += c < 0x80 ? 1 : c < 0x800 ? 2 : c < 0x10000 ? 3 : 4;
    }
    return n;
}

bool CharacterTypeIsUtf8() {
    const char* codeset = nl_langinfo(CODESET);
    return strcasecmp(codeset, "UTF-8") == 0 || strcasecmp(codeset, "utf8") == 0;
}

TUtf8CharacterType::TUtf8CharacterType() {
    if (CharacterTypeIsUtf8()) return;
    for (const char* name : {"C.UTF-8", "en_US.UTF-8"}) {
        locale_t base = duplocale(uselocale(static_cast<locale_t>(0)));
        if (!base) return;
        utf8_ = newlocale(LC_CTYPE_MASK, name, base);
        if (utf8_) break;
        freelocale(base);
    }
    if (utf8_) saved_ = uselocale(utf8_);
}

TUtf8CharacterType::~TUtf8CharacterType() {
    if (!utf8_) return;
    uselocale(saved_);
    freelocale(utf8_);
}
