#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

#include "format/ChipConstants.h"
#include "format/ElementCodec.h"
#include "format/ImageFormat.h"

namespace zadaravod::image {

/// One key as the control mode's table defines it; absent keys have no entry.
struct KeyEntry {
    int key = 0;        ///< 1-based key number
    int function = -1;  ///< function byte, -1 for 0xFF (none)
    int list = -1;      ///< list byte, -1 for 0xFF (none)
};

/// One entry of the sound table and the element it points at.
struct SoundEntry {
    std::uint8_t prescaler = 0;
    std::uint8_t rateCount = 0;
    std::int32_t sampleRate = 0;  ///< from the rate pair; 0 when the pair is unknown
    bool addressValid = false;
    std::uint32_t address = 0;       ///< file offset of the element
    bool library = false;            ///< part of the library chain (not a spare entry)
    bool decodes = false;            ///< a valid element header lies at the address
    element::ElementHeader element;  ///< when `decodes`
    std::string problem;             ///< why it does not decode ("" when it does or is spare)
};

/// Everything the inspector reads from an image.
struct ImageReading {
    std::uint64_t fileBytes = 0;
    std::uint8_t modeCode = 0;
    int controlMode = -1;  ///< -1 when the code is unknown
    int audioOutput = 1;   ///< 1 = DAC, 0 = PWM (the record's values)
    int busyLevel = 1;     ///< 1 = busy at logic 0
    int pullUp = 0;
    std::uint8_t flashCode = 0;
    int flashSizeIndex = -1;
    std::uint8_t listCountByte = 0;
    std::vector<KeyEntry> keys;
    std::array<std::vector<PlaylistItem>, kPlaylistCount> playlists;
    std::array<SoundEntry, kLibraryCapacity> sounds;
    int libraryCount = 0;  ///< leading entries chained back to back from 0x17FF0
    std::uint64_t libraryDataEnd = 0;
    std::array<std::uint8_t, 256> chipCode{};
    /// What is wrong with the image, each naming its offset.
    std::vector<std::string> problems;
};

/// Reads an image held in memory. Returns false (with the reason in
/// `problems`) when it is too short to hold the fixed part; otherwise true,
/// with any faults of single entries listed in `problems`. Never reads
/// outside `bytes`.
bool readImage(std::span<const std::uint8_t> bytes, ImageReading& out);

/// Decodes the element of sound entry `k`; false with `error` naming the offset.
bool decodeSound(std::span<const std::uint8_t> bytes, const ImageReading& reading, int k,
                 element::DecodedElement& out, std::string& error);

/// A playlist as the chip plays it: sounds and silences in order, at the
/// highest rate among its sounds (others are resampled linearly). `rate` is
/// set to that rate (8000 when the list holds only silences).
bool renderPlaylist(std::span<const std::uint8_t> bytes, const ImageReading& reading, int list,
                    std::vector<std::int16_t>& samples, int& rate, std::string& error);

/// The bytes extractImage() would write: the WAV files of every decodable
/// library sound and every non-empty list.
std::uint64_t extractionBytes(const ImageReading& reading);

/// Writes sound-NNN.wav for every library sound and list-XXH.wav for every
/// non-empty playlist into `folder` (created when missing). The lists are
/// streamed, so memory stays bounded by the longest sound; callers bound
/// the total with extractionBytes() first. Returns the problems met; files
/// that could be written are written.
std::vector<std::string> extractImage(std::span<const std::uint8_t> bytes,
                                      const ImageReading& reading,
                                      const std::filesystem::path& folder);

/// Linear resampling from `from` to `to` Hz, as the inspector renders a list
/// whose sounds have several rates.
std::vector<std::int16_t> resampleLinear(const std::vector<std::int16_t>& in, int from, int to);
/// The rate the chip plays a sound at: the sound table's rate `tableRate`
/// (0 when its rate pair is not in the table), else the element's own rate
/// kept to 4000..48000 Hz.
int chipPlayRate(std::int32_t tableRate, std::uint32_t elementRate);

/// Caption of a control mode for the inspector ("one-line", ...).
const char* controlModeName(int mode);

}  // namespace zadaravod::image
