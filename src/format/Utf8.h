#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace zadaravod {

/// Decodes the character that starts at byte `at` of `s` (at < s.size()).
/// Returns its length in bytes (1..4) and sets `cp`; returns 0 for a byte
/// that does not start a well-formed sequence (overlong forms, surrogates and
/// values above U+10FFFF are not well formed).
std::size_t decodeUtf8(std::string_view s, std::size_t at, char32_t& cp);

/// Appends `cp` as UTF-8.
void appendUtf8(std::string& out, char32_t cp);

/// True when `text` is well-formed UTF-8.
bool isValidUtf8(std::string_view text);

}  // namespace zadaravod
