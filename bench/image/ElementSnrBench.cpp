// Prints the SNR of decode(encode(x)) against x for the sound element and,
// on the same signals, for FFmpeg's 4-bit IMA ADPCM (adpcm_ima_wav) and its
// 5-bit G.726 (40 kbit/s at 8000 Hz, 5 bits a sample at other rates).
// Usage: bench_element_snr [beam width] [spread]

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/channel_layout.h>
}

#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "image/ElementCodec.h"
#include "tools/WavFile.h"

using namespace zadaravod;

namespace {

double snrDb(const std::vector<std::int16_t>& x, const std::vector<std::int16_t>& y) {
    double s = 0, e = 0;
    for (std::size_t i = 0; i < x.size(); ++i) {
        const double d = i < y.size() ? double(x[i]) - y[i] : double(x[i]);
        s += double(x[i]) * x[i];
        e += d * d;
    }
    return e == 0 ? INFINITY : 10 * std::log10(s / e);
}

/// Encodes and decodes `x` with an FFmpeg codec; empty on failure.
std::vector<std::int16_t> ffmpegRoundTrip(AVCodecID id, const std::vector<std::int16_t>& x,
                                          int rate, std::int64_t bitRate) {
    std::vector<std::int16_t> out;
    const AVCodec* enc = avcodec_find_encoder(id);
    const AVCodec* dec = avcodec_find_decoder(id);
    if (enc == nullptr || dec == nullptr) return out;
    AVCodecContext* ec = avcodec_alloc_context3(enc);
    ec->sample_rate = rate;
    av_channel_layout_default(&ec->ch_layout, 1);
    ec->sample_fmt = enc->sample_fmts != nullptr ? enc->sample_fmts[0] : AV_SAMPLE_FMT_S16;
    ec->bit_rate = bitRate;
    ec->strict_std_compliance = FF_COMPLIANCE_EXPERIMENTAL;
    if (avcodec_open2(ec, enc, nullptr) < 0) {
        avcodec_free_context(&ec);
        return out;
    }
    AVCodecContext* dc = avcodec_alloc_context3(dec);
    dc->sample_rate = rate;
    av_channel_layout_default(&dc->ch_layout, 1);
    dc->block_align = ec->block_align;
    dc->bits_per_coded_sample = ec->bits_per_coded_sample;
    if (avcodec_open2(dc, dec, nullptr) < 0) {
        avcodec_free_context(&ec);
        avcodec_free_context(&dc);
        return out;
    }
    const int frameSize = ec->frame_size > 0 ? ec->frame_size : 1024;
    AVFrame* frame = av_frame_alloc();
    AVFrame* decoded = av_frame_alloc();
    AVPacket* pkt = av_packet_alloc();
    auto drainDecoder = [&] {
        while (avcodec_receive_frame(dc, decoded) == 0) {
            const auto* s = reinterpret_cast<const std::int16_t*>(decoded->data[0]);
            out.insert(out.end(), s, s + decoded->nb_samples);
        }
    };
    auto drainEncoder = [&] {
        while (avcodec_receive_packet(ec, pkt) == 0) {
            avcodec_send_packet(dc, pkt);
            av_packet_unref(pkt);
            drainDecoder();
        }
    };
    for (std::size_t at = 0; at < x.size(); at += static_cast<std::size_t>(frameSize)) {
        frame->nb_samples = frameSize;
        frame->format = ec->sample_fmt;
        av_channel_layout_copy(&frame->ch_layout, &ec->ch_layout);
        frame->sample_rate = rate;
        if (av_frame_get_buffer(frame, 0) < 0) break;
        auto* d = reinterpret_cast<std::int16_t*>(frame->data[0]);
        for (int i = 0; i < frameSize; ++i)
            d[i] = at + static_cast<std::size_t>(i) < x.size() ? x[at + static_cast<std::size_t>(i)]
                                                               : 0;
        avcodec_send_frame(ec, frame);
        av_frame_unref(frame);
        drainEncoder();
    }
    avcodec_send_frame(ec, nullptr);
    drainEncoder();
    avcodec_send_packet(dc, nullptr);
    drainDecoder();
    av_packet_free(&pkt);
    av_frame_free(&frame);
    av_frame_free(&decoded);
    avcodec_free_context(&ec);
    avcodec_free_context(&dc);
    if (out.size() > x.size()) out.resize(x.size());
    return out;
}

struct Signal {
    std::string name;
    int rate;
    std::vector<std::int16_t> samples;
};

std::vector<std::int16_t> sine(double hz, int rate, int n) {
    std::vector<std::int16_t> x(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i)
        x[static_cast<std::size_t>(i)] =
            static_cast<std::int16_t>(16000 * std::sin(2 * M_PI * hz * i / rate));
    return x;
}

/// A linear chirp from 100 Hz to 10 kHz over two seconds at 22000 Hz.
std::vector<std::int16_t> chirp() {
    const int rate = 22000;
    const double seconds = 2.0;
    std::vector<std::int16_t> x(static_cast<std::size_t>(rate * seconds));
    for (std::size_t i = 0; i < x.size(); ++i) {
        const double t = static_cast<double>(i) / rate;
        x[i] = static_cast<std::int16_t>(
            16000 * std::sin(2 * M_PI * (100 * t + (10000 - 100) * t * t / (2 * seconds))));
    }
    return x;
}

/// Speech from espeak-ng at 8000 Hz (resampled by the ffmpeg program);
/// false when either program is missing.
bool speech(std::vector<std::int16_t>& out) {
    if (std::system("command -v espeak-ng >/dev/null 2>&1 && command -v ffmpeg >/dev/null 2>&1") !=
        0)
        return false;
    const auto dir =
        std::filesystem::temp_directory_path() / ("zadaravod-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const std::string raw = (dir / "speech.wav").string(), wav = (dir / "speech8k.wav").string();
    const std::string cmd =
        "espeak-ng -w '" + raw +
        "' 'The quick brown fox jumps over the lazy dog. Sound elements are decoded by the "
        "chip, one block at a time, while the next key waits its turn.' && ffmpeg -v error -y "
        "-i '" +
        raw + "' -ar 8000 -ac 1 -c:a pcm_s16le '" + wav + "'";
    bool ok = std::system(cmd.c_str()) == 0;
    WavData data;
    std::string error;
    ok = ok && readWav(wav, data, error);
    if (ok) out = data.mono();
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    element::EncoderOptions options;
    if (argc > 1) options.beamWidth = std::atoi(argv[1]);
    if (argc > 2) options.spread = std::atoi(argv[2]);
    std::vector<Signal> signals = {{"sine 440 Hz @ 8000", 8000, sine(440, 8000, 16000)},
                                   {"sine 3 kHz @ 8000", 8000, sine(3000, 8000, 16000)},
                                   {"chirp @ 22000", 22000, chirp()}};
    std::vector<std::int16_t> words;
    if (speech(words))
        signals.push_back({"speech @ 8000", 8000, words});
    else
        std::printf("(espeak-ng or ffmpeg not installed: no speech signal)\n");

    std::printf("encoder: beam width %d, spread %d\n", options.beamWidth, options.spread);
    std::printf("%-20s %10s %10s %10s %12s %12s\n", "signal", "element", "IMA 4-bit", "G.726 5-b",
                "vs IMA", "vs G.726");
    for (const Signal& s : signals) {
        const auto t0 = std::chrono::steady_clock::now();
        const auto bytes =
            element::encodeElement(s.samples, static_cast<std::uint32_t>(s.rate), options);
        const auto t1 = std::chrono::steady_clock::now();
        element::DecodedElement d;
        std::string error;
        if (!element::decodeElement(bytes, d, error)) {
            std::printf("%s: decode failed: %s\n", s.name.c_str(), error.c_str());
            return 1;
        }
        const double ours = snrDb(s.samples, d.samples);
        const double ima =
            snrDb(s.samples, ffmpegRoundTrip(AV_CODEC_ID_ADPCM_IMA_WAV, s.samples, s.rate, 0));
        const double g726 = snrDb(
            s.samples, ffmpegRoundTrip(AV_CODEC_ID_ADPCM_G726, s.samples, s.rate, 5LL * s.rate));
        std::printf("%-20s %8.2f dB %7.2f dB %7.2f dB %+9.2f dB %+9.2f dB   (%.0f ns/sample)\n",
                    s.name.c_str(), ours, ima, g726, ours - ima, ours - g726,
                    std::chrono::duration<double, std::nano>(t1 - t0).count() /
                        static_cast<double>(s.samples.size()));
    }
    std::printf(
        "target: at least +6 dB against IMA and at least level with G.726 on each signal\n");
    return 0;
}
