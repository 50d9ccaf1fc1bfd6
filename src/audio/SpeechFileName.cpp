// File names for spoken texts (declared in Speech.h); no synthesis here.
#include <array>

#include "audio/Speech.h"
#include "audio/Utf8Text.h"

namespace zadaravod {

namespace {

constexpr std::string_view kExtension = ".wav";
constexpr std::string_view kFallbackStem = "speech";

/// Characters that become a blank: what Linux or Windows refuse in a name,
/// control characters, and the invisible marks that can disguise a name
/// (direction overrides, zero-width characters).
bool isUnsafe(char32_t cp) {
    if (cp < 0x20 || (cp >= 0x7F && cp <= 0x9F)) return true;
    switch (cp) {
        case '/':
        case '\\':
        case '<':
        case '>':
        case ':':
        case '"':
        case '|':
        case '?':
        case '*':
            return true;
        default:
            break;
    }
    return (cp >= 0x200B && cp <= 0x200F) || (cp >= 0x202A && cp <= 0x202E) ||
           (cp >= 0x2066 && cp <= 0x2069);
}

std::string lowerAscii(std::string_view s) {
    std::string out(s);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return out;
}

/// `text` with unsafe characters and blanks folded into single blanks,
/// invalid bytes dropped, and no blank at either end.
std::string cleanText(std::string_view text) {
    std::string out;
    bool blank = false;
    for (std::size_t at = 0; at < text.size();) {
        char32_t cp = 0;
        const std::size_t n = decodeUtf8(text, at, cp);
        if (n == 0) {
            blank = true;
            ++at;
            continue;
        }
        if (isUnsafe(cp) || isBlankCharacter(cp)) {
            blank = true;
        } else {
            if (blank && !out.empty()) out += ' ';
            blank = false;
            out.append(text.substr(at, n));
        }
        at += n;
    }
    return out;
}

void stripLeading(std::string& s) {
    std::size_t n = 0;
    while (n < s.size() && (s[n] == '.' || s[n] == ' ')) ++n;
    s.erase(0, n);
}

void stripTrailing(std::string& s) {
    while (!s.empty() && (s.back() == '.' || s.back() == ' ')) s.pop_back();
}

/// The longest prefix of well-formed `s` of at most `maxBytes` bytes that
/// ends at a character boundary.
std::string cutAtCharacter(const std::string& s, std::size_t maxBytes) {
    if (s.size() <= maxBytes) return s;
    std::size_t end = maxBytes;
    // Continuation bytes (10xxxxxx) never start a character.
    while (end > 0 && (static_cast<unsigned char>(s[end]) & 0xC0) == 0x80) --end;
    return s.substr(0, end);
}

bool isDeviceName(const std::string& stem) {
    static constexpr std::array<std::string_view, 4> kPlain = {"con", "prn", "aux", "nul"};
    const std::string lower = lowerAscii(stem);
    for (std::string_view d : kPlain) {
        if (lower == d) return true;
    }
    return lower.size() == 4 && (lower.starts_with("com") || lower.starts_with("lpt")) &&
           lower[3] >= '1' && lower[3] <= '9';
}

/// The stem cut to fit `suffix` and ".wav" into kMaxSuggestedNameBytes.
std::string fittedName(const std::string& stem, const std::string& suffix) {
    std::string cut =
        cutAtCharacter(stem, kMaxSuggestedNameBytes - kExtension.size() - suffix.size());
    stripTrailing(cut);
    if (cut.empty()) cut = kFallbackStem;
    if (isDeviceName(cut)) cut += '_';
    return cut + suffix + std::string(kExtension);
}

}  // namespace

std::string suggestSpeechFileName(std::string_view text, const std::set<std::string>& taken) {
    std::string stem = cleanText(text);
    stripLeading(stem);
    stripTrailing(stem);

    std::set<std::string> takenLower;
    for (const std::string& name : taken) takenLower.insert(lowerAscii(name));

    std::string name = fittedName(stem, "");
    // At most taken.size() names can collide, so this ends by then.
    for (std::size_t n = 2; takenLower.count(lowerAscii(name)) != 0 && n <= taken.size() + 2; ++n) {
        name = fittedName(stem, "-" + std::to_string(n));
    }
    return name;
}

}  // namespace zadaravod
