// Texts of unknown form: a settings value typed on a UTF-8 desktop, or one written on Windows in
// its ANSI code page. Each well-formed UTF-8 character is taken as one character; every other
// byte is a character of its own (Windows-1252), so a text in one form or a mix of both is read
// character by character and never cut or decoded in the middle of one.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace text {

// The length in bytes of the well-formed UTF-8 character at s[i] (1 to 4), or 0 when the byte
// there starts none (a Windows-1252 byte, or a character cut short).
std::size_t utf8_length(std::string_view s, std::size_t i);

// How many characters s holds, counted as above.
std::size_t characters(std::string_view s);

// The first `count` characters of s, ending on a character's last byte.
std::string first_characters(std::string_view s, std::size_t count);

// s as UTF-8: its UTF-8 characters as they are, every other byte decoded as Windows-1252 (a byte
// that code page leaves undefined becomes '?').
std::string to_utf8(std::string_view s);

}  // namespace text
