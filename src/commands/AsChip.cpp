#include "commands/AsChip.h"

#include <algorithm>
#include <map>
#include <utility>

#include "format/ElementCodec.h"
#include "format/ImageFormat.h"
#include "format/ImageReader.h"

namespace zadaravod {

bool renderSoundAsChip(const std::string& pluginPath, const std::string& wavPath,
                       std::int32_t sampleRate, RenderedAudio& out, std::string& error) {
    const ConverterPlugin plugin(pluginPath);
    return renderSoundAsChip(plugin, wavPath, sampleRate, out, error);
}

bool renderSoundAsChip(const ConverterPlugin& plugin, const std::string& wavPath,
                       std::int32_t sampleRate, RenderedAudio& out, std::string& error) {
    const Result<std::vector<std::uint8_t>> element = convertPrivately(plugin, wavPath);
    if (!element) {
        error = element.error().text;
        return false;
    }
    element::ElementHeader header;
    element::DecodedElement decoded;
    std::string reason;
    if (!element::parseElementHeader(element.value(), header, reason)) {
        error = "The sound element made of " + wavPath + " does not decode: " + reason;
        return false;
    }
    if (header.sampleCount > kMaxAsChipSamples) {
        error = "Cannot play " + wavPath + " as the chip plays it: the sound is too long.";
        return false;
    }
    if (!element::decodeElement(element.value(), decoded, reason)) {
        error = "The sound element made of " + wavPath + " does not decode: " + reason;
        return false;
    }
    out.samples = std::move(decoded.samples);
    const auto pair = image::ratePair(sampleRate);
    out.sampleRate = image::chipPlayRate(image::rateOfPair(pair[0], pair[1]), decoded.sampleRate);
    return true;
}

bool renderEntriesAsChip(const std::string& pluginPath, const std::vector<CSound>& entries,
                         RenderedAudio& out, std::string& error, const std::atomic<bool>* cancel) {
    const ConverterPlugin plugin(pluginPath);
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
                if (!renderSoundAsChip(plugin, e.filePath, e.sampleRate, audio, error))
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
            const auto part = image::resampleLinear(it.sound->samples, it.sound->sampleRate, rate);
            out.samples.insert(out.samples.end(), part.begin(), part.end());
        } else {
            out.samples.insert(out.samples.end(),
                               static_cast<std::size_t>(it.silenceMs * rate / 1000), 0);
        }
    }
    return true;
}

}  // namespace zadaravod
