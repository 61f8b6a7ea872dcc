#include "framework/IniFile.h"

#include <cctype>
#include <cstring>
#include <memory>
#include <vector>

#include "framework/SysUtils.h"
#include "platform/Platform.h"

namespace {

// The file is read in pieces of this size, whatever the shape of its lines.
constexpr size_t kChunkSize = 64 * 1024;
// Longest section or key name kept; a longer one matches nothing that is asked for.
constexpr size_t kNameLimit = 256;

bool blank(char c) {
    return c == ' ' || c == '\t' || c == '\r';
}
bool quote(char c) {
    return c == '"' || c == '\'';
}

std::string trimEnd(std::string s) {
    while (!s.empty() && blank(s.back())) s.pop_back();
    return s;
}

// Names match ignoring case the same way in every locale (a Turkish one has an I of its own).
bool sameText(const std::string& a, const std::string& b) {
    return AnsiLowerCaseFileName(a) == AnsiLowerCaseFileName(b);
}

// Looks for one key of one section while the file passes through in pieces. It keeps at
// most a name and the first bytes of the value, never a whole line.
class KeyScan {
  public:
    KeyScan(const std::string& section, const std::string& key) : section_(section), key_(key) {}

    // Takes the next piece; true once the value has been found.
    bool Feed(const char* p, size_t n) {
        const char* end = p + n;
        while (p < end && !found_) {
            if (state_ == State::Skip) {
                const void* nl = std::memchr(p, '\n', static_cast<size_t>(end - p));
                if (!nl) return false;
                p = static_cast<const char*>(nl) + 1;
                state_ = State::LineStart;
                continue;
            }
            char c = *p++;
            if (c == '\n') {
                endLine();
                continue;
            }
            switch (state_) {
                case State::LineStart:
                    if (blank(c)) break;
                    name_.clear();
                    if (c == ';') {
                        state_ = State::Skip;
                    } else if (c == '[') {
                        state_ = State::Section;
                    } else {
                        state_ = State::Key;
                        addToName(c);
                    }
                    break;
                case State::Section:
                    if (c == ']') {
                        endSection();
                        state_ = State::Skip;
                    } else {
                        addToName(c);
                    }
                    break;
                case State::Key:
                    if (c != '=') {
                        addToName(c);
                    } else if (inSection_ && name_.size() <= kNameLimit &&
                               sameText(trimEnd(name_), key_)) {
                        state_ = State::ValueStart;
                    } else {
                        state_ = State::Skip;
                    }
                    break;
                case State::ValueStart:
                    if (blank(c)) break;
                    state_ = State::Value;
                    [[fallthrough]];
                case State::Value:
                    ++valueLength_;
                    if (value_.size() < kKept) value_ += c;
                    if (!blank(c)) {
                        valueEnd_ = valueLength_;
                        last_ = c;
                    }
                    break;
                case State::Skip:
                    break;
            }
        }
        return found_;
    }

    // The end of the file ends its last line.
    void Finish() {
        if (!found_) endLine();
    }
    bool Found() const { return found_; }

    // The value without surrounding blanks and one pair of matching quotes, cut to the
    // longest value delivered.
    std::string Value() const {
        size_t from = 0, length = valueEnd_;
        if (length >= 2 && quote(value_[0]) && last_ == value_[0]) {
            from = 1;
            length -= 2;
        }
        return value_.substr(from, std::min(length, TIniFile::MaxValueLength));
    }

  private:
    enum class State { LineStart, Section, Key, ValueStart, Value, Skip };
    // Enough of a value to cut it after its opening quote.
    static constexpr size_t kKept = TIniFile::MaxValueLength + 1;

    void addToName(char c) {
        if (name_.size() <= kNameLimit) name_ += c;
    }
    void endSection() {
        size_t b = 0;
        while (b < name_.size() && blank(name_[b])) ++b;
        inSection_ = name_.size() <= kNameLimit && sameText(trimEnd(name_.substr(b)), section_);
    }
    void endLine() {
        if (state_ == State::Section) endSection();
        if (state_ == State::ValueStart || state_ == State::Value) found_ = true;
        state_ = State::LineStart;
    }

    const std::string& section_;
    const std::string& key_;
    State state_ = State::LineStart;
    bool inSection_ = false;
    bool found_ = false;
    std::string name_;
    std::string value_;
    size_t valueLength_ = 0;  // bytes of the value after its leading blanks
    size_t valueEnd_ = 0;     // bytes up to its last non-blank one
    char last_ = 0;           // its last non-blank byte
};

}  // namespace

std::string TIniFile::ReadString(const std::string& section, const std::string& key,
                                 const std::string& defaultValue) const {
    std::string native = platform::ToNative(fileName_);
    if (native.empty()) return defaultValue;
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> in(platform::OpenRegularFile(native),
                                                       &std::fclose);
    if (!in) return defaultValue;
    KeyScan scan(section, key);
    std::vector<char> chunk(kChunkSize);
    for (;;) {
        size_t n = std::fread(chunk.data(), 1, chunk.size(), in.get());
        if (n == 0 || scan.Feed(chunk.data(), n)) break;
    }
    scan.Finish();
    return scan.Found() ? scan.Value() : defaultValue;
}
