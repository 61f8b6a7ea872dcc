// Reads settings from an INI file with the rules of the platform's profile-string reading:
// section and key names match without regard to case, values lose surrounding blanks and
// one pair of matching quotes, at most 2047 characters are delivered, and anything
// missing yields the caller's default. The file is read when a value is asked for, so a
// missing file is simply a source of defaults.
#pragma once

#include <string>

class TIniFile {
  public:
    // fileName is a platform path.
    explicit TIniFile(std::string fileName) : fileName_(std::move(fileName)) {}
    const std::string& FileName() const { return fileName_; }
    std::string ReadString(const std::string& section, const std::string& key,
                           const std::string& defaultValue) const;

    static constexpr size_t MaxValueLength = 2047;

  private:
    std::string fileName_;
};
