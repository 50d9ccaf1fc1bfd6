#pragma once

#include <cstddef>
#include <string_view>

namespace zadaravod {

// Small UTF-8 helpers for the speech texts and the names made from them.

/// Decodes the character that starts at byte `at` of `s` (at < s.size()).
/// Returns its length in bytes (1..4) and sets `cp`; returns 0 for a byte
/// that does not start a well-formed sequence (overlong forms, surrogates and
/// values above U+10FFFF are not well formed).
std::size_t decodeUtf8(std::string_view s, std::size_t at, char32_t& cp);

/// Counts the characters of `s`; false when `s` is not well-formed UTF-8 or
/// holds a NUL character.
bool countUtf8Characters(std::string_view s, std::size_t& count);

/// True for the characters that print as a blank: ASCII blanks and line
/// ends, no-break space, the Unicode space characters and separators.
bool isBlankCharacter(char32_t cp);

/// True when well-formed `s` holds nothing but blank characters (or nothing).
bool isBlankUtf8(std::string_view s);

}  // namespace zadaravod
