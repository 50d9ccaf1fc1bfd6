#include "audio/Player.h"

#include <utility>

#include "format/WavFile.h"
#include "io/AtomicFile.h"

namespace zadaravod {

LoadResult loadWavSample(const std::string& path) {
    LoadResult result;
    std::string bytes, error;
    if (!readWholeFile(path, bytes, error, kMaxPlayerFileBytes)) {
        result.error = error + ", so it cannot be played.";
        return result;
    }
    WavData wav;
    if (!parseWav(bytes, wav, error)) {
        result.error = "Cannot play " + path + ": " + error;
        return result;
    }
    bytes = {};
    if (wav.sampleRate <= 0 || wav.sampleRate > kMaxPlayerRate) {
        result.error = "Cannot play " + path + ": its sampling rate of " +
                       std::to_string(wav.sampleRate) + " Hz is not one a sound card can play.";
        return result;
    }
    auto sample = std::make_shared<PlayerSample>();
    sample->sampleRate = wav.sampleRate;
    sample->channels = wav.channels;
    sample->samples = std::move(wav.samples);
    result.sample = std::move(sample);
    return result;
}

LoadResult makeMonoSample(std::vector<std::int16_t> mono, int sampleRate) {
    LoadResult result;
    if (sampleRate <= 0 || sampleRate > kMaxPlayerRate) {
        result.error = "Cannot play samples at " + std::to_string(sampleRate) +
                       " Hz: the rate must lie between 1 and " + std::to_string(kMaxPlayerRate) +
                       " Hz.";
        return result;
    }
    auto sample = std::make_shared<PlayerSample>();
    sample->sampleRate = sampleRate;
    sample->channels = 1;
    sample->samples = std::move(mono);
    result.sample = std::move(sample);
    return result;
}

LoadResult Player::loadFile(const std::string& path) { return loadWavSample(path); }

LoadResult Player::loadSamples(std::vector<std::int16_t> mono, int sampleRate) {
    return makeMonoSample(std::move(mono), sampleRate);
}

}  // namespace zadaravod
