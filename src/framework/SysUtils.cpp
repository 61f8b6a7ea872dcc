#include "framework/SysUtils.h"

#include <QString>

#include <cctype>
#include <climits>
#include <cstdio>
#include <vector>

#include "framework/Utf8.h"
#include "platform/Platform.h"

std::string Format(const char* fmt, ...) {
    va_list args;
    va_start(args, fmt);
    va_list copy;
    va_copy(copy, args);
    int n = std::vsnprintf(nullptr, 0, fmt, copy);
    va_end(copy);
    std::string out;
    if (n > 0) {
        std::vector<char> buf(static_cast<size_t>(n) + 1);
        std::vsnprintf(buf.data(), buf.size(), fmt, args);
        out.assign(buf.data(), static_cast<size_t>(n));
    }
    va_end(args);
    return out;
}

std::string InOutErrorText(int code) {
    switch (code) {
        case 2:
            return "File not found";
        case 3:
            return "Invalid filename";
        case 4:
            return "Too many open files";
        case 5:
            return "File access denied";
        case 100:
            return "Read beyond end of file";
        case 101:
            return "Disk full";
        case 106:
            return "Invalid numeric input";
        default:
            return Format("I/O error %d", code);
    }
}

EInOutError::EInOutError(int code) : Exception(InOutErrorText(code)), code_(code) {}

int StrToInt(const std::string& text) {
    auto fail = [&]() -> int {
        throw EConvertError(Format("'%s' is not a valid integer value", text.c_str()));
    };
    size_t i = 0;
    while (i < text.size() && text[i] == ' ') ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    int base = 10;
    if (i < text.size() && text[i] == '$') {
        base = 16;
        ++i;
    } else if (i + 1 < text.size() && text[i] == '0' &&
               (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    if (i >= text.size()) return fail();
    long long value = 0;
    for (; i < text.size(); ++i) {
        char c = text[i];
        int digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (base == 16 && std::isxdigit(static_cast<unsigned char>(c)))
            digit = platform::AsciiLower(c) - 'a' + 10;
        else
            return fail();
        value = value * base + digit;
        if (value > static_cast<long long>(INT_MAX) + 1) return fail();
    }
    if (negative) value = -value;
    if (value > INT_MAX || value < INT_MIN) return fail();
    return static_cast<int>(value);
}

std::string WithFullStop(const std::string& text) {
    if (!text.empty() && static_cast<unsigned char>(text.back()) > '.') return text + ".";
    return text;
}

namespace {

template <class Map>
std::string mapCharacters(const std::string& s, Map map) {
    std::string out;
    out.reserve(s.size());
    for (size_t i = 0, n; i < s.size(); i += n) {
        n = Utf8CharLength(s, i);
        unsigned char lead = static_cast<unsigned char>(s[i]);
        if (n == 1) {
            // ASCII maps to ASCII; a byte that is not UTF-8 is left alone.
            out += lead < 0x80 ? static_cast<char>(map(lead)) : s[i];
            continue;
        }
        QString c = QString::fromUtf8(s.data() + i, static_cast<qsizetype>(n));
        char32_t code = c.size() == 2 ? QChar::surrogateToUcs4(c[0], c[1]) : c[0].unicode();
        char32_t mapped = map(code);
        out += QString::fromUcs4(&mapped, 1).toStdString();
    }
    return out;
}

}  // namespace

std::string AnsiLowerCaseFileName(const std::string& s) {
    return mapCharacters(s, [](char32_t c) { return QChar::toLower(c); });
}

std::string AnsiUpperCaseFileName(const std::string& s) {
    return mapCharacters(s, [](char32_t c) { return QChar::toUpper(c); });
}

std::string ExtractFilePath(const std::string& path) {
    auto pos = path.find_last_of("\\:");
    return pos == std::string::npos ? "" : path.substr(0, pos + 1);
}

std::string ExtractFileName(const std::string& path) {
    auto pos = path.find_last_of("\\:");
    return pos == std::string::npos ? path : path.substr(pos + 1);
}

std::string IncludeTrailingBackslash(const std::string& path) {
    if (!path.empty() && path.back() == '\\') return path;
    return path + "\\";
}

size_t NextBackslash(const std::string& s, size_t from) {
    for (size_t i = from; i < s.size(); i += Utf8CharLength(s, i))
        if (s[i] == '\\') return i;
    return std::string::npos;
}

std::string ExtractFileDrive(const std::string& path) {
    if (path.size() >= 2 && path[1] == ':') return path.substr(0, 2);
    if (path.size() >= 2 && path[0] == '\\' && path[1] == '\\') {
        // \\server\share
        size_t server = NextBackslash(path, 2);
        if (server == std::string::npos) return path;
        size_t share = NextBackslash(path, server + 1);
        return share == std::string::npos ? path : path.substr(0, share);
    }
    return "";
}

size_t NthBackslash(const std::string& path, int n) {
    size_t i = NextBackslash(path, 0);
    while (i != std::string::npos && --n > 0) i = NextBackslash(path, i + 1);
    return i;
}
