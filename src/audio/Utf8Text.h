#pragma once

#include <cstddef>
#include <string_view>

#include "format/Utf8.h"

namespace zadaravod {

// Small UTF-8 helpers for the speech texts and the names made from them.

/// Counts the characters of `s`; false when `s` is not well-formed UTF-8 or
/// holds a NUL character.
bool countUtf8Characters(std::string_view s, std::size_t& count);

/// True for the characters that print as a blank: ASCII blanks and line
/// ends, no-break space, the Unicode space characters and separators.
bool isBlankCharacter(char32_t cp);

/// True when well-formed `s` holds nothing but blank characters (or nothing).
bool isBlankUtf8(std::string_view s);

}  // namespace zadaravod
