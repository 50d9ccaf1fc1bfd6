#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "commands/ConverterPlugin.h"
#include "model/Sound.h"

namespace zadaravod {

/// Mono 16-bit samples at one rate.
struct RenderedAudio {
    std::vector<std::int16_t> samples;
    int sampleRate = 0;  ///< Hz
};

/// Rendered audio longer than this many samples is refused rather than
/// allocated (about 35 minutes at 48000 Hz): a list of long silences can
/// claim hours.
inline constexpr std::uint64_t kMaxAsChipSamples = std::uint64_t{1} << 27;

/// One sound as the chip plays it: the WAV at `wavPath` converted into its
/// sound element by the converter plugin at `pluginPath` (whatever plugin
/// lies there, so a replacement converter is honoured), then decoded with the
/// element decoder. `sampleRate` is the rate the sound table gives the sound
/// (the record's `sampleRate`); the chip plays the element at that rate when
/// the table holds it, otherwise at the element's own rate (kept to
/// 4000..48000 Hz), exactly as the image inspector renders it.
///
/// The plugin converts a copy of the WAV inside a private temporary folder
/// (mkdtemp, mode 0700), removed before returning: nothing is written beside
/// the user's file. Returns false with `error` (naming the file and what to
/// do) when the plugin does not load, the conversion fails or its element
/// does not decode.
bool renderSoundAsChip(const std::string& pluginPath, const std::string& wavPath,
                       std::int32_t sampleRate, RenderedAudio& out, std::string& error);
/// The same through a plugin loaded already.
bool renderSoundAsChip(const ConverterPlugin& plugin, const std::string& wavPath,
                       std::int32_t sampleRate, RenderedAudio& out, std::string& error);

/// Playlist entries (sounds and silences, in order) as the flash image holds
/// them and the chip plays them: each sound as renderSoundAsChip gives it,
/// each silence as the codes the image writer stores for it (whole seconds,
/// then milliseconds; consecutive silences run together), everything at the
/// highest rate among the sounds (8000 Hz with none), other sounds resampled
/// linearly, as the image inspector renders a list. A sound that appears
/// several times is converted once. Returns false with `error` when a sound
/// cannot be rendered or the whole would exceed kMaxAsChipSamples, and false
/// with an empty `error` when `cancel` (checked before each conversion) is
/// set.
bool renderEntriesAsChip(const std::string& pluginPath, const std::vector<CSound>& entries,
                         RenderedAudio& out, std::string& error,
                         const std::atomic<bool>* cancel = nullptr);

}  // namespace zadaravod
