#include "audio/Resample.h"

extern "C" {
#include <libavutil/channel_layout.h>
#include <libavutil/error.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
}

#include <array>
#include <limits>
#include <memory>

#include "audio/AudioLayer.h"

namespace zadaravod {

namespace {

std::string avError(int code) {
    std::array<char, AV_ERROR_MAX_STRING_SIZE> buf{};
    av_strerror(code, buf.data(), buf.size());
    return buf.data();
}

struct SwrFreer {
    void operator()(SwrContext* s) const { swr_free(&s); }
};

}  // namespace

bool resampleMono16(std::span<const std::int16_t> in, int fromRate, int toRate,
                    std::vector<std::int16_t>& out, std::string& error) {
    out.clear();
    for (int rate : {fromRate, toRate}) {
        if (rate <= 0 || rate > kMaxConversionRate) {
            error = "the sampling rate " + std::to_string(rate) + " Hz cannot be used";
            return false;
        }
    }
    if (fromRate == toRate) {
        out.assign(in.begin(), in.end());
        return true;
    }
    if (in.empty()) return true;
    if (in.size() > static_cast<std::size_t>(std::numeric_limits<int>::max() / 2)) {
        error = "the sound is too long to be resampled at once";
        return false;
    }

    SwrContext* raw = nullptr;
    AVChannelLayout mono = AV_CHANNEL_LAYOUT_MONO;
    int rc = swr_alloc_set_opts2(&raw, &mono, AV_SAMPLE_FMT_S16, toRate, &mono, AV_SAMPLE_FMT_S16,
                                 fromRate, 0, nullptr);
    if (rc < 0) {
        error = "the resampler cannot be set up (" + avError(rc) + ")";
        return false;
    }
    std::unique_ptr<SwrContext, SwrFreer> swr(raw);
    rc = av_opt_set(raw, "resampler", "soxr", 0);
    if (rc < 0) {
        error = "the soxr resampler is not available (" + avError(rc) + ")";
        return false;
    }
    rc = swr_init(raw);
    if (rc < 0) {
        error = "the resampler cannot be started (" + avError(rc) + ")";
        return false;
    }

    // One call takes the whole input; further calls drain the filter's delay.
    const auto count = static_cast<int>(in.size());
    const std::uint8_t* inPlanes[1] = {reinterpret_cast<const std::uint8_t*>(in.data())};
    const std::uint8_t** input = inPlanes;
    int inputCount = count;
    for (;;) {
        const int room = swr_get_out_samples(raw, inputCount);
        if (room < 0) {
            error = "the resampler failed (" + avError(room) + ")";
            out.clear();
            return false;
        }
        const std::size_t at = out.size();
        out.resize(at + static_cast<std::size_t>(room) + 16);
        std::uint8_t* outPlanes[1] = {reinterpret_cast<std::uint8_t*>(out.data() + at)};
        const int got = swr_convert(raw, outPlanes, room + 16, input, inputCount);
        if (got < 0) {
            error = "the resampler failed (" + avError(got) + ")";
            out.clear();
            return false;
        }
        out.resize(at + static_cast<std::size_t>(got));
        if (input == nullptr && got == 0) break;
        input = nullptr;
        inputCount = 0;
    }
    return true;
}

}  // namespace zadaravod
