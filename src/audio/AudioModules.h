#pragma once

// The outside audio libraries (FFmpeg, SDL2, espeak-ng, libebur128) are
// loaded when first needed, not when a program starts: the code that calls
// them is built into three modules of the application folder,
// libzadaravod_ffmpeg.so, libzadaravod_sdl.so and libzadaravod_prompt.so,
// which the functions of this layer open with dlopen on first use. A command
// that never decodes, plays, speaks or measures sound never loads them.
// Internal to src/audio: callers use AudioLayer.h, Resample.h, SdlPlayer.h,
// Speech.h and Loudness.h, whose functions stay as they are.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "audio/AudioLayer.h"
#include "audio/Loudness.h"
#include "audio/Player.h"
#include "audio/Speech.h"

namespace zadaravod::audio_module {

/// Raised whenever a table below changes, so that a module of another build
/// is refused rather than called wrongly.
inline constexpr int kModuleInterfaceVersion = 2;

inline constexpr const char* kFfmpegModuleName = "libzadaravod_ffmpeg.so";
inline constexpr const char* kSdlModuleName = "libzadaravod_sdl.so";
inline constexpr const char* kPromptModuleName = "libzadaravod_prompt.so";

/// What libzadaravod_ffmpeg.so offers: the FFmpeg parts of AudioLayer.h and
/// Resample.h, with the contracts written there.
struct FfmpegFunctions {
    /// Audio information of a file that is not a plain WAV (probed by FFmpeg).
    bool (*probe)(const std::string& path, AudioInfo& info, std::string& error);
    ConversionResult (*convertToMonoWav)(const std::string& source, const std::string& output,
                                         int rate);
    bool (*resampleMono16)(std::span<const std::int16_t> in, int fromRate, int toRate,
                           std::vector<std::int16_t>& out, std::string& error);
};

/// The player behind SdlPlayer, made by libzadaravod_sdl.so; the calls and
/// their contracts are SdlPlayer's.
class PlayerEngine {
  public:
    virtual ~PlayerEngine() = default;
    virtual bool available() = 0;
    virtual std::string errorText() const = 0;
    virtual bool playPaused(int channel, SampleHandle sample) = 0;
    virtual void unpauseAll() = 0;
    virtual bool isPlaying(int channel) = 0;
    virtual void stopAll() = 0;
    virtual int deviceRate() const = 0;
    virtual int deviceChannels() const = 0;
};

struct SdlFunctions {
    /// A new engine, owned by the caller (deleted through the interface).
    PlayerEngine* (*createPlayer)();
};

/// What libzadaravod_prompt.so offers: the espeak-ng and libebur128 parts of
/// Speech.h and Loudness.h, with the contracts written there.
struct PromptFunctions {
    bool (*listSpeechVoices)(std::vector<SpeechVoice>& voices, std::string& error);
    SpeechResult (*synthesizeSpeech)(const SpeechRequest& request);
    std::string (*trimSilence)(std::vector<std::int16_t>& samples, int rate,
                               const TrimOptions& options, TrimResult& result);
    std::string (*measureLoudness)(std::span<const std::int16_t> samples, int rate,
                                   LoudnessMeasurement& measurement);
    std::string (*normalizeLoudness)(std::vector<std::int16_t>& samples, int rate,
                                     const LoudnessOptions& options, LoudnessResult& result);
    SoundProcessingResult (*processWavFile)(const std::filesystem::path& path,
                                            const SoundProcessing& options);
};

/// The FFmpeg module, loaded on the first call (once per process; it stays
/// loaded). Null when it cannot be loaded; `error` then says why and what to
/// do. Safe to call from several threads.
const FfmpegFunctions* ffmpeg(std::string& error);
/// The same for the SDL module.
const SdlFunctions* sdl(std::string& error);
/// The same for the speech and loudness module.
const PromptFunctions* prompt(std::string& error);

}  // namespace zadaravod::audio_module

// Each module exports one C function, zadaravod_ffmpeg_module or
// zadaravod_sdl_module, that takes kModuleInterfaceVersion and returns its
// table, or null when it was built with another version.
