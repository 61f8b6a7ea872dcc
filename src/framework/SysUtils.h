// Exceptions the program raises, with their exact texts, and the small conversions that
// raise them.
#pragma once

#include <cstdarg>
#include <stdexcept>
#include <string>

// Base of every error the program raises itself. The message box that reports it shows
// Message().
class Exception : public std::exception {
  public:
    explicit Exception(std::string message) : message_(std::move(message)) {}
    const std::string& Message() const { return message_; }
    const char* what() const noexcept override { return message_.c_str(); }

  private:
    std::string message_;
};

// "'%s' is not a valid integer value"
class EConvertError : public Exception {
  public:
    using Exception::Exception;
};

// A failed file or directory operation; the text follows the platform's error code.
class EInOutError : public Exception {
  public:
    explicit EInOutError(int code);
    int ErrorCode() const { return code_; }

  private:
    int code_;
};

// "Value must be between %d and %d" and other misuse of a component.
class EInvalidOperation : public Exception {
  public:
    using Exception::Exception;
};

// A resource the platform refuses, such as "Text exceeds memo capacity".
class EOutOfResources : public Exception {
  public:
    using Exception::Exception;
};

// "Invalid class typecast": an object of the wrong class where a given class is required.
class EInvalidCast : public Exception {
  public:
    using Exception::Exception;
};

// printf-style formatting into a std::string.
std::string Format(const char* fmt, ...) __attribute__((format(printf, 1, 2)));

// The text of the input/output error for a platform error code.
std::string InOutErrorText(int code);

// Decimal (or $hex) text to integer; raises EConvertError on anything else.
int StrToInt(const std::string& text);

// Adds a full stop when the text's last character has a code above that of ".".
std::string WithFullStop(const std::string& text);

// File-name case conversions: whole characters by the Unicode case tables, the same in
// every locale; bytes that are not well-formed UTF-8 are kept as they are.
std::string AnsiLowerCaseFileName(const std::string& s);
std::string AnsiUpperCaseFileName(const std::string& s);

// The last component of a platform path's directory part, with its trailing "\".
std::string ExtractFilePath(const std::string& path);
std::string ExtractFileName(const std::string& path);
std::string IncludeTrailingBackslash(const std::string& path);

// The drive part of a platform path: "C:" or "\\server\share".
std::string ExtractFileDrive(const std::string& path);
// Index of the next backslash of a path at or after from, never inside a multi-byte
// character; npos when there is none.
size_t NextBackslash(const std::string& path, size_t from);
// Index of the (n)-th backslash (n from 1) of a path, stepping over whole multi-byte
// characters; npos when there are fewer.
size_t NthBackslash(const std::string& path, int n);
