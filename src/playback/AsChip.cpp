#include "playback/AsChip.h"

#include <stdlib.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <map>
#include <span>
#include <utility>

#include "image/ElementCodec.h"
#include "image/ImageFormat.h"
#include "image/MelodyConverter.h"
#include "tools/AtomicFile.h"

namespace zadaravod {

namespace fs = std::filesystem;

namespace {

/// Element files are sounds of at most a few MiB; anything beyond this is
/// not an element.
constexpr std::uintmax_t kMaxElementBytes = std::uintmax_t{64} << 20;

/// A folder only this process can enter (mkdtemp: unpredictable name, mode
/// 0700), removed with its content when the object goes.
class PrivateFolder {
  public:
    PrivateFolder() = default;
    PrivateFolder(const PrivateFolder&) = delete;
    PrivateFolder& operator=(const PrivateFolder&) = delete;
    ~PrivateFolder() {
        std::error_code ec;
        if (!path_.empty()) fs::remove_all(path_, ec);
    }

    bool make(std::string& error) {
        std::error_code ec;
        fs::path base = fs::temp_directory_path(ec);
        if (ec) base = "/tmp";
        std::string name = (base / "zadaravod-play-XXXXXX").string();
        if (::mkdtemp(name.data()) == nullptr) {
            error = "Cannot make a temporary folder in " + base.string() + ": " +
                    std::strerror(errno) + ". Free some space there or set TMPDIR.";
            return false;
        }
        path_ = name;
        return true;
    }
    const fs::path& path() const { return path_; }

  private:
    fs::path path_;
};

/// The rate the chip plays a sound at: the sound table's rate for the
/// record's rate, or the element's own rate (kept to audio rates) when the
/// table has none. The same rule as the image inspector's.
int chipRate(std::int32_t recordRate, std::uint32_t elementRate) {
    const auto pair = image::ratePair(recordRate);
    const int table = image::rateOfPair(pair[0], pair[1]);
    if (table > 0) return table;
    return static_cast<int>(std::clamp<std::uint32_t>(elementRate, 4000, 48000));
}

/// Linear resampling from `from` to `to` Hz, sample for sample the image
/// inspector's, so that a rendered list equals the inspector's rendering.
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

}  // namespace

bool renderSoundAsChip(const std::string& pluginPath, const std::string& wavPath,
                       std::int32_t sampleRate, RenderedAudio& out, std::string& error) {
    std::error_code ec;
    if (!fs::is_regular_file(wavPath, ec)) {
        error = "Cannot play " + wavPath +
                " as the chip plays it: the file is missing or is not a "
                "regular file.";
        return false;
    }
    PrivateFolder folder;
    if (!folder.make(error)) return false;
    const fs::path copy = folder.path() / "sound.wav";
    fs::copy_file(wavPath, copy, ec);
    if (ec) {
        error = "Cannot read " + wavPath + ": " + ec.message() + ".";
        return false;
    }
    const ConversionOutcome outcome = runConverter(pluginPath, copy.string());
    if (!outcome.loaded) {
        error = "The converter plugin " + pluginPath + " cannot be loaded (" + outcome.loadError +
                "). Reinstall the application so that the plugin lies in its folder.";
        return false;
    }
    if (outcome.result == 0) {
        error = "The converter could not turn " + wavPath +
                " into a sound element. Check that it is a PCM WAV file (8 or 16 bits, mono or "
                "stereo).";
        return false;
    }
    std::string bytes, reason;
    if (!readWholeFile(outcome.elementPath, bytes, reason, kMaxElementBytes)) {
        error = "The converter made no sound element of " + wavPath + ": " + reason;
        return false;
    }
    const std::span<const std::uint8_t> element(reinterpret_cast<const std::uint8_t*>(bytes.data()),
                                                bytes.size());
    element::ElementHeader header;
    element::DecodedElement decoded;
    if (!element::parseElementHeader(element, header, reason)) {
        error = "The sound element made of " + wavPath + " does not decode: " + reason;
        return false;
    }
    if (header.sampleCount > kMaxAsChipSamples) {
        error = "Cannot play " + wavPath + " as the chip plays it: the sound is too long.";
        return false;
    }
    if (!element::decodeElement(element, decoded, reason)) {
        error = "The sound element made of " + wavPath + " does not decode: " + reason;
        return false;
    }
    out.samples = std::move(decoded.samples);
    out.sampleRate = chipRate(sampleRate, decoded.sampleRate);
    return true;
}

bool renderEntriesAsChip(const std::string& pluginPath, const std::vector<CSound>& entries,
                         RenderedAudio& out, std::string& error, const std::atomic<bool>* cancel) {
    // Each distinct sound once; the map's nodes stay where they are.
    std::map<std::pair<std::string, std::int32_t>, RenderedAudio> sounds;
    struct Item {
        const RenderedAudio* sound = nullptr;  ///< null for a silence
        std::int64_t silenceMs = 0;
    };
    std::vector<Item> items;
    int rate = 0;
    for (const CSound& e : entries) {
        if (e.isSound()) {
            const auto key = std::make_pair(e.filePath, e.sampleRate);
            auto it = sounds.find(key);
            if (it == sounds.end()) {
                if (cancel != nullptr && cancel->load()) {
                    error.clear();
                    return false;
                }
                RenderedAudio audio;
                if (!renderSoundAsChip(pluginPath, e.filePath, e.sampleRate, audio, error))
                    return false;
                it = sounds.emplace(key, std::move(audio)).first;
            }
            items.push_back({&it->second, 0});
            rate = std::max(rate, it->second.sampleRate);
            continue;
        }
        // The pause the image codes for this silence: what the chip waits.
        std::int64_t ms = 0;
        for (const image::SilenceCode code : image::silenceCodes(e.durationMs))
            ms += image::silenceCodeMs(code);
        if (ms == 0) continue;
        if (!items.empty() && items.back().sound == nullptr)
            items.back().silenceMs += ms;
        else
            items.push_back({nullptr, ms});
    }
    if (rate == 0) rate = 8000;

    std::uint64_t total = 0;
    for (const Item& it : items) {
        total += it.sound != nullptr ? static_cast<std::uint64_t>(it.sound->samples.size()) *
                                           static_cast<std::uint64_t>(rate) /
                                           static_cast<std::uint64_t>(it.sound->sampleRate)
                                     : static_cast<std::uint64_t>(it.silenceMs) *
                                           static_cast<std::uint64_t>(rate) / 1000;
    }
    if (total > kMaxAsChipSamples) {
        error = "The list plays for " + std::to_string(total / static_cast<std::uint64_t>(rate)) +
                " s, too long to play as the chip plays it. Play it without the chip's "
                "rendering, or from a later entry.";
        return false;
    }
    out.sampleRate = rate;
    out.samples.clear();
    out.samples.reserve(static_cast<std::size_t>(total));
    for (const Item& it : items) {
        if (it.sound != nullptr) {
            const auto part = resampleLinear(it.sound->samples, it.sound->sampleRate, rate);
            out.samples.insert(out.samples.end(), part.begin(), part.end());
        } else {
            out.samples.insert(out.samples.end(),
                               static_cast<std::size_t>(it.silenceMs * rate / 1000), 0);
        }
    }
    return true;
}

}  // namespace zadaravod
