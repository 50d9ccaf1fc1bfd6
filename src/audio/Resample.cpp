#include "audio/Resample.h"

#include "audio/AudioModules.h"

namespace zadaravod {

bool resampleMono16(std::span<const std::int16_t> in, int fromRate, int toRate,
                    std::vector<std::int16_t>& out, std::string& error) {
    out.clear();
    // Equal rates need no resampler, so FFmpeg is not loaded for them.
    if (fromRate == toRate && fromRate > 0 && fromRate <= kMaxConversionRate) {
        out.assign(in.begin(), in.end());
        return true;
    }
    const audio_module::FfmpegFunctions* ffmpeg = audio_module::ffmpeg(error);
    if (ffmpeg == nullptr) return false;
    return ffmpeg->resampleMono16(in, fromRate, toRate, out, error);
}

}  // namespace zadaravod
