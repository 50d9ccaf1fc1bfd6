#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "format/ChipConstants.h"

namespace zadaravod {

/// The text of list number n (0..219) as the editor shows it: two lower-case
/// hexadecimal digits, then "H" ("00H", "0aH", "dbH").
std::string listNumberText(int n);

}  // namespace zadaravod

namespace zadaravod::image {

// Fixed offsets of the flash image (docs/image-format.md).
inline constexpr std::size_t kModeOffset = 2;
inline constexpr std::size_t kOutputOffset = 4;
inline constexpr std::size_t kBusyOffset = 6;
inline constexpr std::size_t kPullUpOffset = 7;
inline constexpr std::size_t kKeyTableOffset = 8;
inline constexpr std::size_t kKeyTableBytes = 20;
inline constexpr std::size_t kListCountOffset = 28;
inline constexpr std::size_t kFlashSizeOffset = 30;
inline constexpr std::size_t kMatrixOffset = 266;
inline constexpr std::size_t kFirstSlotsOffset = 304;
inline constexpr int kFirstSlotCount = 126;
inline constexpr std::size_t kSecondSlotsOffset = 65552;
inline constexpr std::size_t kSlotBytes = 256;
inline constexpr std::size_t kChipCodeOffset = 0x16F00;
inline constexpr std::size_t kChipCodeBytes = 256;
inline constexpr std::size_t kSoundTableOffset = 0x17000;
inline constexpr std::size_t kSoundEntryBytes = 8;
inline constexpr std::size_t kSoundDataOffset = 0x17FF0;
inline constexpr std::uint8_t kListCountAllUsed = 0xDD;

/// Playlist codes.
inline constexpr std::uint8_t kSoundCode = 0x44;
inline constexpr std::uint8_t kMillisecondsCode = 0x80;
inline constexpr std::uint8_t kSecondsCode = 0x81;
inline constexpr std::uint8_t kSlotFiller = 0xFF;
/// Largest count of one code: 249 ms (0x80 n) and 255 s (0x81 n).
inline constexpr int kMaxMillisecondsCount = 249;
inline constexpr int kMaxSecondsCount = 255;

/// One item of a playlist as the image codes it: a sound by its number in
/// the sound table, or a silence.
struct PlaylistItem {
    bool isSound = false;
    int soundIndex = 0;          ///< 0-based sound number (sound items)
    std::int32_t silenceMs = 0;  ///< silence items
    bool operator==(const PlaylistItem&) const = default;
};

struct SilenceCode {
    std::uint8_t unit;   ///< kSecondsCode or kMillisecondsCode
    std::uint8_t count;  ///< seconds or milliseconds
    bool operator==(const SilenceCode&) const = default;
};

/// The codes of a silence of `ms` milliseconds: whole seconds first (at most
/// 255 s a code), then the remaining milliseconds (at most 249 ms a code).
/// Nothing for 0 or less.
std::vector<SilenceCode> silenceCodes(std::int32_t ms);
/// Milliseconds a code stands for.
std::int32_t silenceCodeMs(SilenceCode code);

/// Image bytes of one playlist item: 3 for a sound, 2 per silence code.
int itemBytes(const PlaylistItem& item);
/// Image bytes of a whole playlist (before the 0xFF filler).
int slotBytes(const std::vector<PlaylistItem>& items);

/// File offset of playlist slot `list` (0..219).
std::size_t slotOffset(int list);

/// The rate pair (prescaler code, count) of a sampling rate; 0x90 0x7F for
/// rates the table does not hold.
std::array<std::uint8_t, 2> ratePair(std::int32_t sampleRate);
/// True when the sound table has a rate pair for `sampleRate`.
bool hasRateCode(std::int32_t sampleRate);
/// The rate of a pair of the table, or 0 when the pair is not in it.
std::int32_t rateOfPair(std::uint8_t prescaler, std::uint8_t count);

/// The 3-byte bank address of a file offset (32 KiB banks).
std::array<std::uint8_t, 3> encodeAddress(std::uint32_t offset);
/// The file offset of a bank address; false when the bytes are not a bank
/// address (the in-bank offset must have its 0x8000 bit, the bank byte 0x80+).
bool decodeAddress(const std::uint8_t* bytes, std::uint32_t& offset);

/// Mode code at offset 2 by control mode; 0 for an unknown mode.
std::uint8_t controlModeCode(std::int32_t mode);
/// Control mode of a code at offset 2; -1 when unknown.
int controlModeOfCode(std::uint8_t code);
/// Flash size code at offset 30 by size index (0x06 .. 0x02); 0 when invalid.
std::uint8_t flashSizeCode(std::int32_t sizeIndex);
/// Size index of a flash size code; -1 when unknown.
int flashSizeIndexOfCode(std::uint8_t code);

/// What the header holds: the settings records' values as they stand.
struct ImageSettings {
    std::int32_t controlMode = 0;
    std::int32_t audioOutput = 1;  ///< 1 = DAC
    std::int32_t busyLevel = 1;    ///< 1 = busy at logic 0
    std::int32_t pullUp = 0;
    std::int32_t flashSizeIndex = 0;
    std::array<std::int32_t, kKeyCount> keyFunction{};
    std::array<std::int32_t, kKeyCount> listOfKey{};
};

/// Writes offsets 0..303: header, key table of the control mode, list count,
/// flash size and the matrix list bytes. `image` must hold at least 304 bytes.
void writeHeader(std::vector<std::uint8_t>& image, const ImageSettings& settings,
                 std::uint8_t listCountByte);

/// Writes playlist `list` into its slot: its codes (each silence item coded
/// on its own), then 0xFF up to 256 bytes. The caller has checked that the
/// codes fit (slotBytes <= 256); codes beyond the slot are dropped.
void writeSlot(std::vector<std::uint8_t>& image, int list, const std::vector<PlaylistItem>& items);

}  // namespace zadaravod::image
