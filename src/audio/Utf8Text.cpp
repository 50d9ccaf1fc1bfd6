#include "audio/Utf8Text.h"

namespace zadaravod {

bool countUtf8Characters(std::string_view s, std::size_t& count) {
    count = 0;
    for (std::size_t at = 0; at < s.size();) {
        char32_t cp = 0;
        const std::size_t n = decodeUtf8(s, at, cp);
        if (n == 0 || cp == 0) return false;
        at += n;
        ++count;
    }
    return true;
}

bool isBlankCharacter(char32_t cp) {
    return cp == ' ' || (cp >= 0x09 && cp <= 0x0D) || cp == 0x85 || cp == 0xA0 || cp == 0x1680 ||
           (cp >= 0x2000 && cp <= 0x200B) || cp == 0x2028 || cp == 0x2029 || cp == 0x202F ||
           cp == 0x205F || cp == 0x3000 || cp == 0xFEFF;
}

bool isBlankUtf8(std::string_view s) {
    for (std::size_t at = 0; at < s.size();) {
        char32_t cp = 0;
        const std::size_t n = decodeUtf8(s, at, cp);
        if (n == 0 || !isBlankCharacter(cp)) return false;
        at += n;
    }
    return true;
}

}  // namespace zadaravod
