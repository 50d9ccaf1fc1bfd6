#include "audio/AudioLayer.h"

#include "audio/AudioModules.h"
#include "format/WavFile.h"

namespace zadaravod {

namespace {

// ---------------------------------------------------------------- WAV header

/// The audio information of a WAV file with PCM or float samples, from its
/// header's own values (an 8-bit stereo WAV reports 8 bits and 2 channels);
/// false for anything else, which is left to FFmpeg.
bool wavHeaderInfo(const std::string& path, AudioInfo& info) {
    WavHeader h;
    std::string error;
    if (!readWavHeader(path, h, error)) return false;
    if (h.formatTag != 1 && h.formatTag != 3) return false;
    if (h.sampleRate <= 0 || h.channels <= 0 || h.bitsPerSample <= 0) return false;
    const std::uint64_t frameBytes =
        h.blockAlign != 0 ? static_cast<std::uint64_t>(h.blockAlign)
                          : static_cast<std::uint64_t>(h.channels) * ((h.bitsPerSample + 7) / 8);
    info.sampleRate = h.sampleRate;
    info.channels = h.channels;
    info.bitsPerSample = h.bitsPerSample;
    info.lengthSeconds =
        static_cast<double>(h.dataBytes / frameBytes) / static_cast<double>(h.sampleRate);
    const double bitRate = h.byteRate != 0
                               ? 8.0 * h.byteRate
                               : static_cast<double>(h.sampleRate) * h.channels * h.bitsPerSample;
    info.extra = bitRate / 1000.0;
    info.plainPcm = h.plainPcm();
    return true;
}

}  // namespace

bool readAudioInfo(const std::string& path, AudioInfo& info, std::string& error) {
    info = AudioInfo{};
    if (wavHeaderInfo(path, info)) return true;
    info = AudioInfo{};
    // Anything but a plain WAV is probed by FFmpeg, loaded now.
    const audio_module::FfmpegFunctions* ffmpeg = audio_module::ffmpeg(error);
    if (ffmpeg == nullptr) {
        error = path + ": cannot be read. " + error;
        return false;
    }
    return ffmpeg->probe(path, info, error);
}

ConversionResult convertToMonoWav(const std::string& source, const std::string& output, int rate) {
    ConversionResult result;
    const audio_module::FfmpegFunctions* ffmpeg = audio_module::ffmpeg(result.error);
    if (ffmpeg == nullptr) {
        result.error = source + ": cannot be converted. " + result.error;
        return result;
    }
    return ffmpeg->convertToMonoWav(source, output, rate);
}

}  // namespace zadaravod
