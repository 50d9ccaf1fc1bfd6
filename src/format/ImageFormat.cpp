#include "format/ImageFormat.h"

#include "format/ByteOrder.h"

#include <algorithm>
#include <charconv>

namespace zadaravod {

std::string listNumberText(int n) {
    // Lower-case hexadecimal, at least two digits; the list numbers are 0..219.
    char digits[16];
    const auto [end, ec] = std::to_chars(digits, digits + sizeof digits, n, 16);
    std::string text(digits, ec == std::errc() ? end : digits);
    if (text.size() < 2) text.insert(0, 2 - text.size(), '0');
    return text + "H";
}

}  // namespace zadaravod

namespace zadaravod::image {

namespace {

struct RateRow {
    std::int32_t rate;
    std::uint8_t prescaler;
    std::uint8_t count;
};
constexpr RateRow kRates[] = {
    {4000, 0x90, 0xFF},  {6000, 0x90, 0xAA},  {8000, 0x90, 0x7F},  {10000, 0x50, 0xCC},
    {12000, 0x50, 0xAA}, {14000, 0x50, 0x91}, {16000, 0x50, 0x7F}, {18000, 0x10, 0xE3},
    {20000, 0x10, 0xCC}, {22000, 0x10, 0xB9},
};

constexpr std::uint8_t kModeCodes[] = {0x02, 0x03, 0x04, 0x08, 0x0B, 0x07, 0x05};
constexpr std::uint8_t kFlashCodes[] = {0x06, 0x05, 0x04, 0x03, 0x02};

std::uint8_t functionByte(const ImageSettings& s, int key) {
    const std::int32_t v = s.keyFunction[static_cast<std::size_t>(key)];
    return v >= 0 && v <= 14 ? static_cast<std::uint8_t>(v) : 0xFF;
}
std::uint8_t listByte(const ImageSettings& s, int key) {
    const std::int32_t v = s.listOfKey[static_cast<std::size_t>(key)];
    return v >= 0 && v <= 220 ? static_cast<std::uint8_t>(v) : 0xFF;
}

}  // namespace

std::vector<SilenceCode> silenceCodes(std::int32_t ms) {
    std::vector<SilenceCode> codes;
    while (ms > 0) {
        if (ms >= 1000) {
            const std::int32_t n = std::min(ms / 1000, kMaxSecondsCount);
            codes.push_back({kSecondsCode, static_cast<std::uint8_t>(n)});
            ms -= n * 1000;
        } else {
            const std::int32_t n = std::min(ms, kMaxMillisecondsCount);
            codes.push_back({kMillisecondsCode, static_cast<std::uint8_t>(n)});
            ms -= n;
        }
    }
    return codes;
}

std::int32_t silenceCodeMs(SilenceCode code) {
    return code.unit == kSecondsCode ? 1000 * code.count : code.count;
}

int itemBytes(const PlaylistItem& item) {
    if (item.isSound) return 3;
    return 2 * static_cast<int>(silenceCodes(item.silenceMs).size());
}

int slotBytes(const std::vector<PlaylistItem>& items) {
    int bytes = 0;
    for (const PlaylistItem& item : items) bytes += itemBytes(item);
    return bytes;
}

std::size_t slotOffset(int list) {
    const auto j = static_cast<std::size_t>(list);
    return list < kFirstSlotCount ? kFirstSlotsOffset + kSlotBytes * j
                                  : kSecondSlotsOffset + kSlotBytes * (j - kFirstSlotCount);
}

std::array<std::uint8_t, 2> ratePair(std::int32_t sampleRate) {
    for (const RateRow& r : kRates)
        if (r.rate == sampleRate) return {r.prescaler, r.count};
    return {0x90, 0x7F};
}

bool hasRateCode(std::int32_t sampleRate) {
    for (const RateRow& r : kRates)
        if (r.rate == sampleRate) return true;
    return false;
}

std::int32_t rateOfPair(std::uint8_t prescaler, std::uint8_t count) {
    for (const RateRow& r : kRates)
        if (r.prescaler == prescaler && r.count == count) return r.rate;
    return 0;
}

std::array<std::uint8_t, 3> encodeAddress(std::uint32_t offset) {
    const std::uint32_t bank = offset / 32768;
    const std::uint32_t inBank = offset % 32768 + 0x8000;
    std::array<std::uint8_t, 3> address{};
    le::put16(address.data(), static_cast<std::uint16_t>(inBank));
    address[2] = static_cast<std::uint8_t>((0x80 + bank) % 256);
    return address;
}

bool decodeAddress(const std::uint8_t* bytes, std::uint32_t& offset) {
    const std::uint32_t inBank = le::get16(bytes);
    if (inBank < 0x8000 || bytes[2] < 0x80) return false;
    offset = static_cast<std::uint32_t>(bytes[2] - 0x80) * 32768 + (inBank - 0x8000);
    return true;
}

std::uint8_t controlModeCode(std::int32_t mode) {
    return mode >= 0 && mode < 7 ? kModeCodes[mode] : 0;
}

int controlModeOfCode(std::uint8_t code) {
    for (int m = 0; m < 7; ++m)
        if (kModeCodes[m] == code) return m;
    return -1;
}

std::uint8_t flashSizeCode(std::int32_t sizeIndex) {
    return sizeIndex >= 0 && sizeIndex < 5 ? kFlashCodes[sizeIndex] : 0;
}

int flashSizeIndexOfCode(std::uint8_t code) {
    for (int i = 0; i < 5; ++i)
        if (kFlashCodes[i] == code) return i;
    return -1;
}

void writeHeader(std::vector<std::uint8_t>& image, const ImageSettings& settings,
                 std::uint8_t listCountByte) {
    std::uint8_t* h = image.data();
    h[0] = 0xFF;
    h[1] = 0x08;
    h[kModeOffset] = controlModeCode(settings.controlMode);
    h[3] = 0xFF;
    h[kOutputOffset] = settings.audioOutput == 1 ? 0x00 : 0x01;
    h[5] = 0xFF;
    h[kBusyOffset] = settings.busyLevel == 1 ? 0x00 : 0x01;
    h[kPullUpOffset] = settings.pullUp != 0 ? 0x01 : 0x00;

    std::uint8_t* k = h + kKeyTableOffset;
    std::fill(k, k + kKeyTableBytes, std::uint8_t{0});
    auto pairs = [&](int first, int last) {  // keys first..last (0-based) as pairs
        for (int key = first; key <= last; ++key) {
            k[2 * key] = functionByte(settings, key);
            k[2 * key + 1] = listByte(settings, key);
        }
    };
    switch (settings.controlMode) {
        case kModeOneLine:
            pairs(0, 9);
            k[6] = k[7] = 0xFF;
            break;
        case kModeThreeLine:
            pairs(0, 9);
            std::fill(k + 2, k + 8, std::uint8_t{0xFF});
            break;
        case kModeMp3:
            std::fill(k, k + 12, std::uint8_t{0xFF});
            for (int key = 7; key <= 9; ++key) {
                k[12 + 2 * (key - 7)] = functionByte(settings, key);
                k[13 + 2 * (key - 7)] = listByte(settings, key);
            }
            break;
        case kModeParallel:
            k[0] = functionByte(settings, 0);
            k[1] = k[2] = listByte(settings, 0);
            std::fill(k + 3, k + kKeyTableBytes, std::uint8_t{0xFF});
            break;
        case kModeKey:
            pairs(0, 9);
            break;
        default:  // matrix, extended and unknown modes: all 0x00
            break;
    }
    h[kListCountOffset] = listCountByte;
    h[29] = 0x00;
    h[kFlashSizeOffset] = flashSizeCode(settings.flashSizeIndex);
    std::fill(h + 31, h + kFirstSlotsOffset, std::uint8_t{0});
    if (settings.controlMode == kModeMatrix)
        for (int key = 0; key < kKeyCount; ++key)
            h[kMatrixOffset + static_cast<std::size_t>(key)] = listByte(settings, key);
}

void writeSlot(std::vector<std::uint8_t>& image, int list, const std::vector<PlaylistItem>& items) {
    std::uint8_t* slot = image.data() + slotOffset(list);
    std::size_t used = 0;
    auto put = [&](std::uint8_t a, std::uint8_t b) {
        if (used + 2 > kSlotBytes) return;
        slot[used++] = a;
        slot[used++] = b;
    };
    for (const PlaylistItem& item : items) {
        if (item.isSound) {
            if (used + 3 > kSlotBytes) break;
            slot[used++] = kSoundCode;
            slot[used++] = static_cast<std::uint8_t>(item.soundIndex >> 8);
            slot[used++] = static_cast<std::uint8_t>(item.soundIndex);
        } else {
            for (SilenceCode c : silenceCodes(item.silenceMs)) put(c.unit, c.count);
        }
    }
    std::fill(slot + used, slot + kSlotBytes, kSlotFiller);
}

}  // namespace zadaravod::image
