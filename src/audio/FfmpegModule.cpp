// libzadaravod_ffmpeg.so: everything of the audio layer that needs FFmpeg
// (probing compressed files, decoding and converting them, resampling),
// loaded by the audio layer on first use (AudioModules.h), so that a program
// loads FFmpeg only when it decodes sound.

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/error.h>
#include <libavutil/log.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
}

#include <array>
#include <cstring>
#include <limits>
#include <memory>
#include <mutex>
#include <vector>

#include "audio/AudioModules.h"
#include "format/WavFile.h"

namespace zadaravod {

namespace {

// ---------------------------------------------------------------- helpers

std::string avError(int code) {
    std::array<char, AV_ERROR_MAX_STRING_SIZE> buf{};
    av_strerror(code, buf.data(), buf.size());
    return buf.data();
}

/// FFmpeg writes its own diagnostics to standard error; our callers report
/// failures through results, so it is kept quiet.
void quietFfmpeg() {
    static std::once_flag once;
    std::call_once(once, [] { av_log_set_level(AV_LOG_QUIET); });
}

struct FormatCloser {
    void operator()(AVFormatContext* f) const { avformat_close_input(&f); }
};
struct CodecFreer {
    void operator()(AVCodecContext* c) const { avcodec_free_context(&c); }
};
struct SwrFreer {
    void operator()(SwrContext* s) const { swr_free(&s); }
};
struct PacketFreer {
    void operator()(AVPacket* p) const { av_packet_free(&p); }
};
struct FrameFreer {
    void operator()(AVFrame* f) const { av_frame_free(&f); }
};
using FormatPtr = std::unique_ptr<AVFormatContext, FormatCloser>;
using CodecPtr = std::unique_ptr<AVCodecContext, CodecFreer>;
using SwrPtr = std::unique_ptr<SwrContext, SwrFreer>;
using PacketPtr = std::unique_ptr<AVPacket, PacketFreer>;
using FramePtr = std::unique_ptr<AVFrame, FrameFreer>;

/// An opened input with its best audio stream.
struct Input {
    FormatPtr format;
    int stream = -1;
};

bool openInput(const std::string& path, Input& in, std::string& error) {
    quietFfmpeg();
    AVFormatContext* raw = nullptr;
    const int rc = avformat_open_input(&raw, path.c_str(), nullptr, nullptr);
    if (rc < 0) {
        error = path + ": cannot be opened as audio (" + avError(rc) + ")";
        return false;
    }
    in.format.reset(raw);
    const int info = avformat_find_stream_info(raw, nullptr);
    if (info < 0) {
        error = path + ": the file's streams cannot be read (" + avError(info) + ")";
        return false;
    }
    in.stream = av_find_best_stream(raw, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
    if (in.stream < 0) {
        error = path + ": the file holds no audio stream";
        return false;
    }
    return true;
}

// ---------------------------------------------------------------- resampler

/// Mixes to mono and resamples with soxr; set up for the layout, format and
/// rate of the frames it is given, and set up anew (after draining) when the
/// stream changes them midway.
class MonoResampler {
  public:
    explicit MonoResampler(int outRate) : outRate_(outRate) {}
    ~MonoResampler() {
        av_channel_layout_uninit(&inLayout_);
        av_channel_layout_uninit(&frameLayout_);
    }
    MonoResampler(const MonoResampler&) = delete;
    MonoResampler& operator=(const MonoResampler&) = delete;

    /// Converts one decoded frame, passing the output to `sink`.
    std::string push(const AVFrame* frame, WavWriter& sink) {
        if (!swr_ || frame->format != inFormat_ || frame->sample_rate != inRate_ ||
            av_channel_layout_compare(&frame->ch_layout, &frameLayout_) != 0) {
            if (swr_) {
                if (std::string e = drain(sink); !e.empty()) return e;
            }
            if (std::string e = setUp(frame); !e.empty()) return e;
        }
        return run(const_cast<const std::uint8_t**>(frame->extended_data), frame->nb_samples, sink);
    }

    /// Emits what the filter still holds at the end of the stream.
    std::string drain(WavWriter& sink) {
        if (!swr_) return {};
        std::string e = run(nullptr, 0, sink);
        swr_.reset();
        return e;
    }

  private:
    std::string setUp(const AVFrame* frame) {
        av_channel_layout_uninit(&inLayout_);
        av_channel_layout_uninit(&frameLayout_);
        // The frames' own layout, to notice a change; the resampler needs a
        // layout with named channels, so an unspecified one gets the default.
        if (av_channel_layout_copy(&frameLayout_, &frame->ch_layout) < 0) return "out of memory";
        if (frame->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC ||
            av_channel_layout_check(&frame->ch_layout) == 0) {
            av_channel_layout_default(&inLayout_, frame->ch_layout.nb_channels);
        } else if (av_channel_layout_copy(&inLayout_, &frame->ch_layout) < 0) {
            return "out of memory";
        }
        inFormat_ = frame->format;
        inRate_ = frame->sample_rate;
        const int channels = inLayout_.nb_channels;
        if (channels <= 0 || inRate_ <= 0) return "the stream has no channels or no rate";

        SwrContext* raw = nullptr;
        AVChannelLayout mono = AV_CHANNEL_LAYOUT_MONO;
        int rc = swr_alloc_set_opts2(&raw, &mono, AV_SAMPLE_FMT_S16, outRate_, &inLayout_,
                                     static_cast<AVSampleFormat>(inFormat_), inRate_, 0, nullptr);
        if (rc < 0) return "the resampler cannot be set up (" + avError(rc) + ")";
        swr_.reset(raw);
        rc = av_opt_set(raw, "resampler", "soxr", 0);
        if (rc < 0) return "the soxr resampler is not available (" + avError(rc) + ")";
        // Every channel weighs the same: (L+R)/2 for stereo, not the -3 dB default.
        std::vector<double> matrix(static_cast<std::size_t>(channels), 1.0 / channels);
        rc = swr_set_matrix(raw, matrix.data(), channels);
        if (rc < 0) return "the mix matrix is refused (" + avError(rc) + ")";
        rc = swr_init(raw);
        if (rc < 0) return "the resampler cannot be started (" + avError(rc) + ")";
        return {};
    }

    std::string run(const std::uint8_t** in, int count, WavWriter& sink) {
        for (;;) {
            const int room = swr_get_out_samples(swr_.get(), count);
            if (room < 0) return "the resampler failed (" + avError(room) + ")";
            out_.resize(static_cast<std::size_t>(room) + 16);
            std::uint8_t* outPlanes[1] = {reinterpret_cast<std::uint8_t*>(out_.data())};
            const int got =
                swr_convert(swr_.get(), outPlanes, static_cast<int>(out_.size()), in, count);
            if (got < 0) return "the resampler failed (" + avError(got) + ")";
            if (got > 0 && !sink.write(out_.data(), static_cast<std::size_t>(got))) {
                return sink.error();
            }
            // Input is consumed in one call; when draining, call until empty.
            if (in != nullptr || got == 0) return {};
        }
    }

    int outRate_;
    SwrPtr swr_;
    int inFormat_ = -1;
    int inRate_ = 0;
    AVChannelLayout inLayout_{};
    AVChannelLayout frameLayout_{};
    std::vector<std::int16_t> out_;
};

// ---------------------------------------------------------------- entries

/// Audio information of a file FFmpeg reads (readAudioInfo's contract for
/// anything but a plain WAV).
bool probe(const std::string& path, AudioInfo& info, std::string& error) {
    Input in;
    if (!openInput(path, in, error)) return false;
    const AVStream* stream = in.format->streams[in.stream];
    const AVCodecParameters* par = stream->codecpar;
    if (par->sample_rate <= 0) {
        error = path + ": the audio stream reports no sampling rate";
        return false;
    }
    info.sampleRate = par->sample_rate;
    info.channels = par->ch_layout.nb_channels;
    if (par->bits_per_raw_sample > 0) {
        info.bitsPerSample = par->bits_per_raw_sample;
    } else if (const int pcmBits = av_get_bits_per_sample(par->codec_id); pcmBits > 0) {
        info.bitsPerSample = pcmBits;
    } else {
        info.bitsPerSample = 16;  // compressed streams decode to 16-bit sound
    }
    if (in.format->duration != AV_NOPTS_VALUE && in.format->duration > 0) {
        info.lengthSeconds = static_cast<double>(in.format->duration) / AV_TIME_BASE;
    } else if (stream->duration != AV_NOPTS_VALUE && stream->duration > 0) {
        info.lengthSeconds = static_cast<double>(stream->duration) * av_q2d(stream->time_base);
    }
    const std::int64_t bitRate = par->bit_rate > 0 ? par->bit_rate : in.format->bit_rate;
    info.extra = bitRate > 0 ? static_cast<double>(bitRate) / 1000.0 : 0.0;
    return true;
}

/// convertToMonoWav (AudioLayer.h).
ConversionResult convert(const std::string& source, const std::string& output, int rate) {
    ConversionResult result;
    if (rate <= 0 || rate > kMaxConversionRate) {
        result.error = "the sampling rate " + std::to_string(rate) + " Hz cannot be used";
        return result;
    }
    Input in;
    if (!openInput(source, in, result.error)) return result;
    const AVCodecParameters* par = in.format->streams[in.stream]->codecpar;
    const AVCodec* codec = avcodec_find_decoder(par->codec_id);
    if (codec == nullptr) {
        result.error =
            source + ": no decoder for its audio format (" + avcodec_get_name(par->codec_id) + ")";
        return result;
    }
    CodecPtr decoder(avcodec_alloc_context3(codec));
    PacketPtr packet(av_packet_alloc());
    FramePtr frame(av_frame_alloc());
    if (!decoder || !packet || !frame) {
        result.error = "out of memory";
        return result;
    }
    int rc = avcodec_parameters_to_context(decoder.get(), par);
    if (rc >= 0) rc = avcodec_open2(decoder.get(), codec, nullptr);
    if (rc < 0) {
        result.error = source + ": the decoder cannot be opened (" + avError(rc) + ")";
        return result;
    }

    WavWriter sink(output, rate);
    if (!sink.error().empty()) {
        result.error = sink.error();
        return result;
    }
    MonoResampler resampler(rate);
    std::string failure;

    // Takes every frame the decoder has ready; damaged data is skipped.
    auto receive = [&]() {
        while (failure.empty()) {
            const int r = avcodec_receive_frame(decoder.get(), frame.get());
            if (r == AVERROR(EAGAIN) || r == AVERROR_EOF) return;
            if (r < 0) return;  // a damaged frame: go on with the next packet
            if (frame->nb_samples > 0) failure = resampler.push(frame.get(), sink);
            av_frame_unref(frame.get());
        }
    };

    while (failure.empty()) {
        // A read error other than the end is taken as the end of readable data.
        if (av_read_frame(in.format.get(), packet.get()) < 0) break;
        if (packet->stream_index == in.stream) {
            if (avcodec_send_packet(decoder.get(), packet.get()) >= 0) receive();
        }
        av_packet_unref(packet.get());
    }
    if (failure.empty()) {
        avcodec_send_packet(decoder.get(), nullptr);
        receive();
    }
    if (failure.empty()) failure = resampler.drain(sink);
    if (!failure.empty()) {
        result.error = source + ": " + failure;
        return result;
    }
    if (sink.samplesWritten() == 0) {
        result.error = source + ": the file holds no audio samples";
        return result;
    }
    result.frames = sink.samplesWritten();
    if (std::string e = sink.finish(); !e.empty()) {
        result.error = e;
        return result;
    }
    result.ok = true;
    return result;
}

/// resampleMono16 (Resample.h).
bool resample(std::span<const std::int16_t> in, int fromRate, int toRate,
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

}  // namespace

}  // namespace zadaravod

extern "C" __attribute__((visibility("default"))) const zadaravod::audio_module::FfmpegFunctions*
zadaravod_ffmpeg_module(int interfaceVersion) {
    static const zadaravod::audio_module::FfmpegFunctions table = {
        zadaravod::probe, zadaravod::convert, zadaravod::resample};
    return interfaceVersion == zadaravod::audio_module::kModuleInterfaceVersion ? &table : nullptr;
}
