// Speech.h and Loudness.h for the programs: each call goes to
// libzadaravod_prompt.so, opened on the first one. When the module cannot be
// loaded, every call fails with the loader's reason and what to do.
#include "audio/AudioModules.h"

namespace zadaravod {

namespace {

const audio_module::PromptFunctions* module(std::string& error) {
    return audio_module::prompt(error);
}

}  // namespace

bool listSpeechVoices(std::vector<SpeechVoice>& voices, std::string& error) {
    const auto* m = module(error);
    return m != nullptr && m->listSpeechVoices(voices, error);
}

SpeechResult synthesizeSpeech(const SpeechRequest& request) {
    SpeechResult result;
    const auto* m = module(result.error);
    if (m == nullptr) {
        result.failure = SpeechFailure::Unavailable;
        return result;
    }
    return m->synthesizeSpeech(request);
}

std::string trimSilence(std::vector<std::int16_t>& samples, int rate, const TrimOptions& options,
                        TrimResult& result) {
    std::string error;
    const auto* m = module(error);
    return m == nullptr ? error : m->trimSilence(samples, rate, options, result);
}

std::string measureLoudness(std::span<const std::int16_t> samples, int rate,
                            LoudnessMeasurement& measurement) {
    std::string error;
    const auto* m = module(error);
    return m == nullptr ? error : m->measureLoudness(samples, rate, measurement);
}

std::string normalizeLoudness(std::vector<std::int16_t>& samples, int rate,
                              const LoudnessOptions& options, LoudnessResult& result) {
    std::string error;
    const auto* m = module(error);
    return m == nullptr ? error : m->normalizeLoudness(samples, rate, options, result);
}

SoundProcessingResult processWavFile(const std::filesystem::path& path,
                                     const SoundProcessing& options) {
    SoundProcessingResult result;
    const auto* m = module(result.error);
    return m == nullptr ? result : m->processWavFile(path, options);
}

}  // namespace zadaravod
