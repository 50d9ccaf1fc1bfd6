#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zadaravod {

/// UTF-8 to Windows-1251; nullopt when a character has no code there (or the
/// text is not valid UTF-8).
std::optional<std::string> utf8ToCp1251(std::string_view utf8);
/// Windows-1251 to UTF-8. Every byte has a reading (0x98 maps to U+0098).
std::string cp1251ToUtf8(std::string_view bytes);
/// UTF-8 to UTF-16 code units (invalid sequences become U+FFFD).
std::u16string utf8ToUtf16(std::string_view utf8);
/// UTF-16 code units to UTF-8 (lone surrogates become U+FFFD).
std::string utf16ToUtf8(std::u16string_view text);
/// The same for UTF-16 stored little-endian in `bytes` (an odd last byte is
/// ignored).
std::string utf16leToUtf8(std::string_view bytes);

}  // namespace zadaravod
