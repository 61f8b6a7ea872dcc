// UTF-8 text as the program counts it, and the character type the C library converts with.
// A well-formed sequence is one character; any other byte is a character of its own.
#pragma once

#include <clocale>
#include <cstddef>
#include <string>

// Length in bytes of the character at s[i]: a byte that does not start a well-formed
// sequence is a character of its own. 0 past the end.
size_t Utf8CharLength(const std::string& s, size_t i);

// The UTF-16 units the toolkit holds the text in (a character outside the basic plane
// takes two).
size_t Utf8Utf16Length(const std::string& s);

// The first count characters of the text, never splitting one.
std::string Utf8Left(const std::string& s, size_t count);

// Bytes the UTF-8 form of a NUL-terminated wide text takes.
size_t Utf8EncodedLength(const wchar_t* text);

// Whether the calling thread's character type is UTF-8.
bool CharacterTypeIsUtf8();

// For as long as it lives, the calling thread's character type is UTF-8 (the rest of its
// locale stays as it was); nothing changes when it already is, or when no UTF-8 locale
// exists on the machine.
class TUtf8CharacterType {
  public:
    TUtf8CharacterType();
    ~TUtf8CharacterType();
    TUtf8CharacterType(const TUtf8CharacterType&) = delete;
    TUtf8CharacterType& operator=(const TUtf8CharacterType&) = delete;

  private:
    locale_t utf8_ = static_cast<locale_t>(0);
    locale_t saved_ = static_cast<locale_t>(0);
};
