#include "framework/IniFile.h"

#include <cctype>
#include <fstream>
#include <sstream>

#include "framework/SysUtils.h"
#include "platform/Platform.h"

namespace {

std::string trim(const std::string& s) {
    size_t b = 0, e = s.size();
    while (b < e && (s[b] == ' ' || s[b] == '\t')) ++b;
    while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t' || s[e - 1] == '\r')) --e;
    return s.substr(b, e - b);
}

// Names match ignoring case the same way in every locale (a Turkish one has an I of its own).
bool sameText(const std::string& a, const std::string& b) {
    return AnsiLowerCaseFileName(a) == AnsiLowerCaseFileName(b);
}

std::string unquote(const std::string& v) {
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
        return v.substr(1, v.size() - 2);
    return v;
}

}  // namespace

std::string TIniFile::ReadString(const std::string& section, const std::string& key,
                                 const std::string& defaultValue) const {
    std::string native = platform::ToNative(fileName_);
    if (native.empty()) return defaultValue;
    std::ifstream in(native, std::ios::binary);
    if (!in) return defaultValue;
    std::string line;
    bool inSection = false;
    while (std::getline(in, line)) {
        std::string t = trim(line);
        if (t.empty() || t[0] == ';') continue;
        if (t[0] == '[') {
            auto close = t.find(']');
            std::string name = trim(t.substr(1, close == std::string::npos ? std::string::npos : close - 1));
            inSection = sameText(name, section);
            continue;
        }
        if (!inSection) continue;
        auto eq = t.find('=');
        if (eq == std::string::npos) continue;
        if (!sameText(trim(t.substr(0, eq)), key)) continue;
        std::string value = unquote(trim(t.substr(eq + 1)));
        if (value.size() > MaxValueLength) value.resize(MaxValueLength);
        return value;
    }
    return defaultValue;
}
