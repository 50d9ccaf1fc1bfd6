// Prints the SNR of decode(encode(x)) against x for the sound element and,
// on the same signals, for FFmpeg's 4-bit IMA ADPCM (adpcm_ima_wav) and its
// 5-bit G.726 (40 kbit/s at 8000 Hz, 5 bits a sample at other rates).
// Signals: sines, a chirp, a music-like passage, a square wave, white noise and
// espeak-ng speech at 8000 and 16000 Hz (skipped with a note when espeak-ng or
// the ffmpeg program is missing). Prints the SNR of each coder, the margins,
// the encoding speed against two anchors of the same run (the decoder and the
// version-1 greedy encoder), timed in processor time of the thread, and
// whether every quality target holds. For version 2 it then times the batch
// encoder (many sounds at once, one per vector lane) on every instruction-set
// path the processor runs, against the one-element encoder of the same run.
// Usage: bench_element_snr [version [beam width | floor spread] [spread]]
// (version 2 by default; version 1 takes a beam width and spread).

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/channel_layout.h>
}

#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "format/BatchEncoder.h"
#include "format/ElementCodec.h"
#include "format/WavFile.h"
#include "support/CodecSignals.h"

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

/// Speech from espeak-ng resampled to `rate` Hz by the ffmpeg program; false
/// when either program is missing or fails.
bool speech(int rate, std::vector<std::int16_t>& out) {
    if (std::system("command -v espeak-ng >/dev/null 2>&1 && command -v ffmpeg >/dev/null 2>&1") !=
        0)
        return false;
    const auto dir =
        std::filesystem::temp_directory_path() / ("zadaravod-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const std::string raw = (dir / "speech.wav").string(), wav = (dir / "resampled.wav").string();
    const std::string cmd =
        "espeak-ng -w '" + raw +
        "' 'The quick brown fox jumps over the lazy dog. Sound elements are decoded by the "
        "chip, one block at a time, while the next key waits its turn.' && ffmpeg -v error -y "
        "-i '" +
        raw + "' -ar " + std::to_string(rate) + " -ac 1 -c:a pcm_s16le '" + wav + "'";
    bool ok = std::system(cmd.c_str()) == 0;
    WavData data;
    std::string error;
    ok = ok && readWav(wav, data, error);
    if (ok) out = data.mono();
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
    return ok;
}

std::vector<Signal> makeSignals() {
    std::vector<Signal> list = {
        {"sine 440 Hz @ 8000", 8000, signals::sine(440, 8000, 16000)},
        {"sine 3 kHz @ 8000", 8000, signals::sine(3000, 8000, 16000)},
        {"chirp @ 22000", 22000, signals::chirp(100, 10000, 22000, 2.0)},
        {"music @ 8000", 8000, signals::music(8000, 4.0)},
        {"square @ 16000", 16000, signals::square(440, 16000, 32000)},
        {"white noise @ 8000", 8000, signals::whiteNoise(16000, 5000)},
    };
    for (int rate : {8000, 16000}) {
        std::vector<std::int16_t> words;
        if (speech(rate, words))
            list.push_back({"speech @ " + std::to_string(rate), rate, words});
        else
            std::printf("(espeak-ng or ffmpeg missing or failing: no speech at %d Hz)\n", rate);
    }
    return list;
}

/// The calling thread's processor time in seconds: on a machine shared with
/// other work it counts only the time this thread ran.
double cpuNow() {
    timespec t{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + 1e-9 * static_cast<double>(t.tv_nsec);
}

double seconds(double a, double b) { return b - a; }

/// The batch encoder's speed on `list` repeated to fill its lanes twice,
/// against `onePerSample` (the one-element encoder's seconds per sample).
void benchBatch(const std::vector<Signal>& list, double onePerSample) {
    using element::BatchPath;
    const std::pair<BatchPath, const char*> paths[] = {{BatchPath::Automatic, "automatic"},
                                                       {BatchPath::Avx512, "AVX-512"},
                                                       {BatchPath::Avx2, "AVX2"},
                                                       {BatchPath::Portable, "portable"}};
    for (const auto& [path, name] : paths) {
        if (!element::batchPathAvailable(path)) {
            std::printf("batch encode, %-9s: not run (the processor lacks it)\n", name);
            continue;
        }
        std::vector<std::span<const std::int16_t>> sounds;
        std::vector<std::uint32_t> rates;
        std::size_t samples = 0;
        while (sounds.size() < 2 * element::batchLanes(path)) {
            for (const Signal& s : list) {
                sounds.emplace_back(s.samples);
                rates.push_back(static_cast<std::uint32_t>(s.rate));
                samples += s.samples.size();
            }
        }
        double best = 1e9;
        for (int r = 0; r < 3; ++r) {
            const double t0 = cpuNow();
            const auto elements = element::encodeElements(sounds, rates, path);
            best = std::min(best, seconds(t0, cpuNow()));
            if (elements.size() != sounds.size()) std::abort();
        }
        const double perSample = best / static_cast<double>(samples);
        std::printf(
            "batch encode, %-9s: %.1f M samples/s per core (%.1f ns/sample, %zu lanes), %.1f x "
            "the one-element encoder\n",
            name, 1e-6 / perSample, 1e9 * perSample, element::batchLanes(path),
            onePerSample / perSample);
    }
}

}  // namespace

int main(int argc, char** argv) {
    element::EncoderOptions options;
    if (argc > 1) options.version = static_cast<std::uint8_t>(std::atoi(argv[1]));
    if (argc > 2) options.beamWidth = options.floorSpread = std::atoi(argv[2]);
    if (argc > 3) options.spread = std::atoi(argv[3]);
    const std::vector<Signal> list = makeSignals();

    if (options.version == 1)
        std::printf("encoder: version 1, beam width %d, spread %d\n", options.beamWidth,
                    options.spread);
    else
        std::printf("encoder: version 2, step floors tried: %d each side\n", options.floorSpread);
    std::printf("%-20s %10s %10s %10s %12s %12s\n", "signal", "element", "IMA 4-bit", "G.726 5-b",
                "vs IMA", "vs G.726");
    bool allHold = true;
    double encodeSeconds = 0, decodeSeconds = 0, greedySeconds = 0;
    std::size_t totalSamples = 0;
    for (const Signal& s : list) {
        // Timing: the best of three runs of each, the decoder as the anchor.
        std::vector<std::uint8_t> bytes;
        element::DecodedElement d;
        std::string error;
        double bestEncode = 1e9, bestDecode = 1e9, bestGreedy = 1e9;
        element::EncoderOptions greedy;
        greedy.version = 1;
        for (int r = 0; r < 3; ++r) {
            const auto tg = cpuNow();
            element::encodeElement(s.samples, static_cast<std::uint32_t>(s.rate), greedy);
            const auto t0 = cpuNow();
            bestGreedy = std::min(bestGreedy, seconds(tg, t0));
            bytes = element::encodeElement(s.samples, static_cast<std::uint32_t>(s.rate), options);
            const auto t1 = cpuNow();
            if (!element::decodeElement(bytes, d, error)) {
                std::printf("%s: decode failed: %s\n", s.name.c_str(), error.c_str());
                return 1;
            }
            const auto t2 = cpuNow();
            bestEncode = std::min(bestEncode, seconds(t0, t1));
            bestDecode = std::min(bestDecode, seconds(t1, t2));
        }
        encodeSeconds += bestEncode;
        greedySeconds += bestGreedy;
        decodeSeconds += bestDecode;
        totalSamples += s.samples.size();

        const double ours = snrDb(s.samples, d.samples);
        const double ima =
            snrDb(s.samples, ffmpegRoundTrip(AV_CODEC_ID_ADPCM_IMA_WAV, s.samples, s.rate, 0));
        const double g726 = snrDb(
            s.samples, ffmpegRoundTrip(AV_CODEC_ID_ADPCM_G726, s.samples, s.rate, 5LL * s.rate));
        const bool holds = ours >= g726 && ours >= ima + 6;
        allHold = allHold && holds;
        std::printf("%-20s %7.2f dB %7.2f dB %7.2f dB %+9.2f dB %+9.2f dB  %s\n", s.name.c_str(),
                    ours, ima, g726, ours - ima, ours - g726, holds ? "ok" : "MISSED");
    }
    const double perSample = encodeSeconds / static_cast<double>(totalSamples);
    std::printf(
        "encode: %.1f M samples/s (%.0f ns/sample), %.1f x the decoder's time, %.1f x the "
        "version-1 greedy encoder's\n",
        1e-6 / perSample, 1e9 * perSample, encodeSeconds / decodeSeconds,
        encodeSeconds / greedySeconds);
    std::printf("decode: %.1f M samples/s (%.0f ns/sample)\n",
                1e-6 * static_cast<double>(totalSamples) / decodeSeconds,
                1e9 * decodeSeconds / static_cast<double>(totalSamples));
    // 4 MiB of elements hold 4 MiB x 65/42 samples.
    std::printf("4 MiB of elements: %.2f s of encoding on one core\n",
                perSample * 4194304.0 * 65 / 42);
    if (options.version != 1 && options.floorSpread == element::EncoderOptions{}.floorSpread)
        benchBatch(list, perSample);
    std::printf("targets (element >= G.726-40 and >= IMA-4 + 6 dB on every signal): %s\n",
                allHold ? "all hold" : "NOT all hold");
    return 0;
}
