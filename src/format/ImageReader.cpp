#include "format/ImageReader.h"

#include <algorithm>
#include <cstdio>
#include <functional>

#include "format/ChipConstants.h"
#include "format/ImageFormat.h"
#include "format/WavFile.h"

namespace zadaravod::image {

namespace {

std::string hex(std::uint64_t v) {
    char buf[24];
    std::snprintf(buf, sizeof buf, "0x%llX", static_cast<unsigned long long>(v));
    return buf;
}

int byteOrNone(std::uint8_t b) { return b == 0xFF ? -1 : b; }

void readKeys(const std::uint8_t* h, ImageReading& out) {
    const std::uint8_t* k = h + kKeyTableOffset;
    auto pair = [&](int key, std::size_t at) {
        out.keys.push_back({key, byteOrNone(k[at]), byteOrNone(k[at + 1])});
    };
    switch (out.controlMode) {
        case kModeOneLine:
            for (int key = 1; key <= 10; ++key)
                if (key != 4) pair(key, static_cast<std::size_t>(2 * (key - 1)));
            break;
        case kModeThreeLine:
            for (int key = 1; key <= 10; ++key)
                if (key < 2 || key > 4) pair(key, static_cast<std::size_t>(2 * (key - 1)));
            break;
        case kModeMp3:
            for (int key = 8; key <= 10; ++key)
                pair(key, static_cast<std::size_t>(12 + 2 * (key - 8)));
            break;
        case kModeMatrix:
            for (int key = 1; key <= kKeyCount; ++key)
                out.keys.push_back(
                    {key, -1, byteOrNone(h[kMatrixOffset + static_cast<std::size_t>(key - 1)])});
            break;
        case kModeParallel:
            out.keys.push_back({1, byteOrNone(k[0]), byteOrNone(k[1])});
            break;
        case kModeKey:
            for (int key = 1; key <= 10; ++key) pair(key, static_cast<std::size_t>(2 * (key - 1)));
            break;
        default:
            break;
    }
}

void readSlot(std::span<const std::uint8_t> bytes, int list, ImageReading& out) {
    const std::size_t base = slotOffset(list);
    const std::uint8_t* slot = bytes.data() + base;
    std::vector<PlaylistItem>& items = out.playlists[static_cast<std::size_t>(list)];
    std::size_t i = 0;
    auto problem = [&](const std::string& what) {
        out.problems.push_back("List " + listNumberText(list) + ": " + what + " at offset " +
                               hex(base + i) + ".");
    };
    while (i < kSlotBytes && slot[i] != kSlotFiller) {
        const std::uint8_t code = slot[i];
        if (code == kSoundCode) {
            if (i + 3 > kSlotBytes) {
                problem("sound code cut off by the end of the slot");
                return;
            }
            const int index = slot[i + 1] << 8 | slot[i + 2];
            if (index >= kLibraryCapacity) {
                problem("sound number " + std::to_string(index) + " beyond the sound table");
                return;
            }
            items.push_back({true, index, 0});
            i += 3;
        } else if (code == kSecondsCode || code == kMillisecondsCode) {
            if (i + 2 > kSlotBytes) {
                problem("silence code cut off by the end of the slot");
                return;
            }
            const std::int32_t ms = silenceCodeMs({code, slot[i + 1]});
            if (!items.empty() && !items.back().isSound)
                items.back().silenceMs += ms;
            else
                items.push_back({false, 0, ms});
            i += 2;
        } else {
            problem("unknown code " + hex(code));
            return;
        }
    }
}

void readSoundTable(std::span<const std::uint8_t> bytes, ImageReading& out) {
    for (std::size_t k = 0; k < static_cast<std::size_t>(kLibraryCapacity); ++k) {
        const std::size_t at = kSoundTableOffset + kSoundEntryBytes * k;
        const std::uint8_t* e = bytes.data() + at;
        SoundEntry& s = out.sounds[k];
        s.prescaler = e[0];
        s.rateCount = e[1];
        s.sampleRate = rateOfPair(e[0], e[1]);
        s.addressValid = decodeAddress(e + 2, s.address);
        const std::string name =
            "Sound " + std::to_string(k + 1) + " (table offset " + hex(at) + ")";
        if (!s.addressValid) {
            s.problem = name + ": bytes " + hex(e[2]) + " " + hex(e[3]) + " " + hex(e[4]) +
                        " are not a bank address";
            continue;
        }
        if (s.address < kSoundDataOffset || s.address >= bytes.size()) {
            s.problem = name + ": start address " + hex(s.address) +
                        " lies outside the sound data (" + hex(kSoundDataOffset) + ".." +
                        hex(bytes.size()) + ")";
            continue;
        }
        std::string error;
        if (!element::parseElementHeader(bytes.subspan(s.address), s.element, error)) {
            s.problem = name + ": no sound element at " + hex(s.address) + ": " + error;
            continue;
        }
        if (s.element.elementBytes() > bytes.size() - s.address) {
            s.problem = name + ": the element at " + hex(s.address) + " needs " +
                        std::to_string(s.element.elementBytes()) + " bytes, the image ends " +
                        std::to_string(bytes.size() - s.address) + " bytes later";
            continue;
        }
        s.decodes = true;
    }
    // The library: entries chained back to back from the start of the data.
    std::uint64_t expected = kSoundDataOffset;
    int n = 0;
    while (n < kLibraryCapacity) {
        const SoundEntry& s = out.sounds[static_cast<std::size_t>(n)];
        if (!s.addressValid || s.address != expected || !s.decodes) break;
        expected += s.element.elementBytes();
        ++n;
    }
    out.libraryCount = n;
    out.libraryDataEnd = expected;
    for (int k = 0; k < kLibraryCapacity; ++k) {
        SoundEntry& s = out.sounds[static_cast<std::size_t>(k)];
        s.library = k < n;
        if (s.library || s.problem.empty()) continue;
        // A spare entry steps by 68 bytes past the library; the last one of
        // them points at the end of the image by construction.
        const std::uint64_t spareAt = expected + static_cast<std::uint64_t>(kHeaderSize) *
                                                     static_cast<std::uint64_t>(k - n + 1);
        if (s.addressValid && s.address == spareAt) s.problem.clear();
    }
    for (int k = 0; k < kLibraryCapacity; ++k)
        if (!out.sounds[static_cast<std::size_t>(k)].problem.empty())
            out.problems.push_back(out.sounds[static_cast<std::size_t>(k)].problem + ".");
}

}  // namespace

const char* controlModeName(int mode) {
    static const char* const names[] = {"one-line", "three-line", "mp3", "matrix",
                                        "parallel", "extended",   "key"};
    return mode >= 0 && mode < 7 ? names[mode] : "unknown";
}

bool readImage(std::span<const std::uint8_t> bytes, ImageReading& out) {
    out = ImageReading{};
    out.fileBytes = bytes.size();
    if (bytes.size() < kSoundDataOffset) {
        out.problems.push_back("The image is too short: " + std::to_string(bytes.size()) +
                               " bytes; its fixed part ends at offset " + hex(kSoundDataOffset) +
                               " (" + std::to_string(kSoundDataOffset) + ").");
        return false;
    }
    const std::uint8_t* h = bytes.data();
    out.modeCode = h[kModeOffset];
    out.controlMode = controlModeOfCode(out.modeCode);
    if (out.controlMode < 0)
        out.problems.push_back("Unknown control mode code " + hex(out.modeCode) +
                               " at offset 0x2.");
    out.audioOutput = h[kOutputOffset] == 0 ? 1 : 0;
    out.busyLevel = h[kBusyOffset] == 0 ? 1 : 0;
    out.pullUp = h[kPullUpOffset] != 0 ? 1 : 0;
    out.flashCode = h[kFlashSizeOffset];
    out.flashSizeIndex = flashSizeIndexOfCode(out.flashCode);
    if (out.flashSizeIndex < 0)
        out.problems.push_back("Unknown flash size code " + hex(out.flashCode) +
                               " at offset 0x1E.");
    out.listCountByte = h[kListCountOffset];
    readKeys(h, out);
    for (int j = 0; j < kPlaylistCount; ++j) readSlot(bytes, j, out);
    std::copy_n(h + kChipCodeOffset, kChipCodeBytes, out.chipCode.begin());
    readSoundTable(bytes, out);
    return true;
}

bool decodeSound(std::span<const std::uint8_t> bytes, const ImageReading& reading, int k,
                 element::DecodedElement& out, std::string& error) {
    if (k < 0 || k >= kLibraryCapacity) {
        error = "no sound " + std::to_string(k + 1);
        return false;
    }
    const SoundEntry& s = reading.sounds[static_cast<std::size_t>(k)];
    if (!s.decodes) {
        error = s.problem.empty()
                    ? "Sound " + std::to_string(k + 1) + ": no element at " + hex(s.address)
                    : s.problem;
        return false;
    }
    if (!element::decodeElement(bytes.subspan(s.address, s.element.elementBytes()), out, error)) {
        error = "Sound " + std::to_string(k + 1) + ": the element at " + hex(s.address) +
                " does not decode: " + error;
        return false;
    }
    return true;
}

std::vector<std::int16_t> resampleLinear(const std::vector<std::int16_t>& in, int from, int to) {
    if (from == to || in.empty() || from <= 0) return in;
    const std::size_t n =
        static_cast<std::size_t>(static_cast<std::uint64_t>(in.size()) *
                                 static_cast<std::uint64_t>(to) / static_cast<std::uint64_t>(from));
    std::vector<std::int16_t> out(n);
    for (std::size_t i = 0; i < n; ++i) {
        const double pos = static_cast<double>(i) * from / to;
        const auto j = static_cast<std::size_t>(pos);
        const double f = pos - static_cast<double>(j);
        const double a = in[std::min(j, in.size() - 1)];
        const double b = in[std::min(j + 1, in.size() - 1)];
        out[i] = static_cast<std::int16_t>(a + (b - a) * f);
    }
    return out;
}

int chipPlayRate(std::int32_t tableRate, std::uint32_t elementRate) {
    if (tableRate > 0) return tableRate;
    // A pair outside the table: the element's own rate, kept to audio rates.
    return static_cast<int>(std::clamp<std::uint32_t>(elementRate, 4000, 48000));
}

namespace {
int playRate(const SoundEntry& s) {
    return chipPlayRate(s.sampleRate, s.decodes ? s.element.sampleRate : 8000);
}

/// Rendered lists longer than this (about 35 minutes at 48000 Hz) are refused
/// rather than allocated: a slot of second codes alone can claim nine hours.
constexpr std::uint64_t kMaxRenderedSamples = std::uint64_t{1} << 27;
}  // namespace

namespace {

/// The rate a list plays at: the highest among its sounds (8000 without any).
int listRate(const ImageReading& reading, int list) {
    int rate = 0;
    for (const PlaylistItem& it : reading.playlists[static_cast<std::size_t>(list)])
        if (it.isSound)
            rate =
                std::max(rate, playRate(reading.sounds[static_cast<std::size_t>(it.soundIndex)]));
    return rate == 0 ? 8000 : rate;
}

/// The samples list `list` renders to at `rate`.
std::uint64_t listSamples(const ImageReading& reading, int list, int rate) {
    std::uint64_t total = 0;
    for (const PlaylistItem& it : reading.playlists[static_cast<std::size_t>(list)]) {
        if (it.isSound) {
            const SoundEntry& s = reading.sounds[static_cast<std::size_t>(it.soundIndex)];
            const std::uint64_t n = s.decodes ? s.element.sampleCount : 0;
            total += n * static_cast<std::uint64_t>(rate) / static_cast<std::uint64_t>(playRate(s));
        } else {
            total +=
                static_cast<std::uint64_t>(it.silenceMs) * static_cast<std::uint64_t>(rate) / 1000;
        }
    }
    return total;
}

using SampleSink = std::function<bool(const std::int16_t*, std::size_t)>;

/// Streams list `list` at `rate` into `sink`, one sound or a bounded block of
/// silence at a time, so memory stays small however long the list plays.
bool streamPlaylist(std::span<const std::uint8_t> bytes, const ImageReading& reading, int list,
                    int rate, const SampleSink& sink, std::string& error) {
    static const std::vector<std::int16_t> quiet(8192, 0);
    for (const PlaylistItem& it : reading.playlists[static_cast<std::size_t>(list)]) {
        if (it.isSound) {
            element::DecodedElement d;
            if (!decodeSound(bytes, reading, it.soundIndex, d, error)) {
                error = "List " + listNumberText(list) + ": " + error;
                return false;
            }
            const auto part = resampleLinear(
                d.samples, playRate(reading.sounds[static_cast<std::size_t>(it.soundIndex)]), rate);
            if (!sink(part.data(), part.size())) return false;
        } else {
            auto left = static_cast<std::size_t>(std::int64_t{it.silenceMs} * rate / 1000);
            while (left > 0) {
                const std::size_t n = std::min(left, quiet.size());
                if (!sink(quiet.data(), n)) return false;
                left -= n;
            }
        }
    }
    return true;
}

}  // namespace

bool renderPlaylist(std::span<const std::uint8_t> bytes, const ImageReading& reading, int list,
                    std::vector<std::int16_t>& samples, int& rate, std::string& error) {
    rate = listRate(reading, list);
    const std::uint64_t total = listSamples(reading, list, rate);
    if (total > kMaxRenderedSamples) {
        error = "List " + listNumberText(list) + ": plays for " +
                std::to_string(total / static_cast<std::uint64_t>(rate)) + " s, too long to render";
        return false;
    }
    samples.clear();
    samples.reserve(static_cast<std::size_t>(total));
    return streamPlaylist(
        bytes, reading, list, rate,
        [&](const std::int16_t* p, std::size_t n) {
            samples.insert(samples.end(), p, p + n);
            return true;
        },
        error);
}

std::uint64_t extractionBytes(const ImageReading& reading) {
    constexpr std::uint64_t kWavHeader = 44;
    std::uint64_t total = 0;
    for (int k = 0; k < reading.libraryCount; ++k) {
        const SoundEntry& s = reading.sounds[static_cast<std::size_t>(k)];
        if (s.decodes) total += kWavHeader + 2 * std::uint64_t{s.element.sampleCount};
    }
    for (int j = 0; j < kPlaylistCount; ++j) {
        if (reading.playlists[static_cast<std::size_t>(j)].empty()) continue;
        total += kWavHeader + 2 * listSamples(reading, j, listRate(reading, j));
    }
    return total;
}

std::vector<std::string> extractImage(std::span<const std::uint8_t> bytes,
                                      const ImageReading& reading,
                                      const std::filesystem::path& folder) {
    std::vector<std::string> problems;
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (ec) {
        problems.push_back("Cannot create " + folder.string() + ": " + ec.message());
        return problems;
    }
    char name[32];
    for (int k = 0; k < reading.libraryCount; ++k) {
        element::DecodedElement d;
        std::string error;
        if (!decodeSound(bytes, reading, k, d, error)) {
            problems.push_back(error);
            continue;
        }
        std::snprintf(name, sizeof name, "sound-%03d.wav", k + 1);
        error = writeWav16(folder / name, d.samples,
                           playRate(reading.sounds[static_cast<std::size_t>(k)]), 1);
        if (!error.empty()) problems.push_back(error);
    }
    for (int j = 0; j < kPlaylistCount; ++j) {
        if (reading.playlists[static_cast<std::size_t>(j)].empty()) continue;
        const int rate = listRate(reading, j);
        WavWriter out(folder / ("list-" + listNumberText(j) + ".wav"), rate);
        std::string error = out.error();
        if (error.empty() &&
            !streamPlaylist(
                bytes, reading, j, rate,
                [&](const std::int16_t* p, std::size_t n) { return out.write(p, n); }, error)) {
            if (error.empty()) error = out.error();
        }
        if (error.empty()) error = out.finish();
        if (!error.empty()) problems.push_back(error);
    }
    return problems;
}

}  // namespace zadaravod::image
