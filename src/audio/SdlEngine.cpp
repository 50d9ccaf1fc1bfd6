// libzadaravod_sdl.so: the player over SDL2 audio behind SdlPlayer (whose
// header describes it), loaded by the audio layer on first use
// (AudioModules.h), so that a program loads SDL only when it plays sound.

#include "audio/AudioModules.h"

#include <SDL.h>

extern "C" {
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
}

#include <algorithm>
#include <array>
#include <cstdint>
#include <limits>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

namespace zadaravod {

namespace {

class SdlEngine final : public audio_module::PlayerEngine {
  public:
    SdlEngine();
    /// Stops every channel, closes the device and shuts SDL's audio down.
    ~SdlEngine() override;
    SdlEngine(const SdlEngine&) = delete;
    SdlEngine& operator=(const SdlEngine&) = delete;

    bool available() override;
    std::string errorText() const override;
    bool playPaused(int channel, SampleHandle sample) override;
    void unpauseAll() override;
    bool isPlaying(int channel) override;
    void stopAll() override;
    int deviceRate() const override;
    int deviceChannels() const override;

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

/// What the player asks the device for; a device that prefers another rate
/// keeps its own (no second resampling inside SDL).
constexpr int kWantedRate = 44100;
constexpr int kWantedChannels = 2;
/// Device buffer in frames: about 23 ms at 44.1 kHz.
constexpr Uint16 kDeviceFrames = 1024;
/// Source frames a voice converts at a time inside the callback.
constexpr std::size_t kPieceFrames = 1024;

/// One channel's sound: the sample it plays and, when its rate is not the
/// device's, its resampler (soxr through swresample) with the output it made
/// and the mix has not taken yet. Owns `resampler`.
struct Voice {
    SampleHandle sample;
    SwrContext* resampler = nullptr;
    std::vector<std::int16_t> pending;  ///< resampled frames, interleaved
    std::size_t pendingAt = 0;          ///< samples of `pending` already mixed
    std::size_t fedFrames = 0;          ///< source frames handed on (to the resampler or the mix)
    bool paused = false;

    bool active() const { return sample != nullptr; }
};

/// Frees what a voice holds. Called without the player's lock.
void release(Voice& v) {
    if (v.resampler != nullptr) swr_free(&v.resampler);
    v = Voice{};
}

void releaseAll(std::vector<Voice>& voices) {
    for (Voice& v : voices) release(v);
    voices.clear();
}

/// A resampler from `sample`'s rate to `rate`, keeping its channels: soxr,
/// or swresample's own when FFmpeg was built without soxr. Null when neither
/// can be made.
SwrContext* makeResampler(const PlayerSample& sample, int rate) {
    AVChannelLayout layout{};
    av_channel_layout_default(&layout, sample.channels);
    SwrContext* swr = nullptr;
    for (const bool soxr : {true, false}) {
        if (swr_alloc_set_opts2(&swr, &layout, AV_SAMPLE_FMT_S16, rate, &layout, AV_SAMPLE_FMT_S16,
                                sample.sampleRate, 0, nullptr) >= 0 &&
            (!soxr || av_opt_set(swr, "resampler", "soxr", 0) >= 0) && swr_init(swr) >= 0)
            break;
        swr_free(&swr);
    }
    av_channel_layout_uninit(&layout);
    return swr;
}

std::string noSoundText(const std::string& what, const char* reason) {
    std::string text = "No sound can be played: " + what;
    if (reason != nullptr && *reason != '\0') text += " (" + std::string(reason) + ")";
    return text +
           ". Check that a sound card is present and that the sound server (PipeWire or "
           "PulseAudio) runs; everything else in the editor works without sound.";
}

}  // namespace

struct SdlEngine::Impl {
    /// Guards the device's state below. Every SDL call is made holding it;
    /// the device callback never takes it.
    mutable std::mutex deviceMutex;
    bool openTried = false;
    bool subsystemStarted = false;
    SDL_AudioDeviceID device = 0;
    SDL_AudioSpec deviceFormat{};
    std::string error;

    /// Guards the voices and the callback's scratch. The device callback
    /// takes it (inside SDL's own device lock), so no SDL call is made while
    /// holding it.
    std::mutex mutex;
    std::array<Voice, kPlayerChannels> voices{};
    /// Voices that fell silent inside the callback, freed by the next call.
    std::vector<Voice> retired;
    std::vector<std::int32_t> mix;  ///< callback scratch: device frames x channels

    /// Opens and starts the device once. Called with `deviceMutex` held.
    bool ensureOpen();
    /// Fills one device buffer. Called by SDL's audio thread.
    void fill(Uint8* out, int len);
    /// Adds the next `frames` device frames of voice `v` to `mix`; false
    /// when the voice has played to its end (or its resampler failed).
    bool pull(Voice& v, std::size_t frames);
    /// Makes the voice's next piece of output; false when there is none.
    bool refill(Voice& v);
    /// Moves the retired voices out, to be freed after the lock is dropped.
    std::vector<Voice> takeRetired() {
        std::vector<Voice> out;
        out.swap(retired);
        retired.reserve(2 * kPlayerChannels);
        return out;
    }

    static void SDLCALL callback(void* user, Uint8* out, int len) {
        static_cast<Impl*>(user)->fill(out, len);
    }
};

bool SdlEngine::Impl::ensureOpen() {
    if (openTried) return device != 0;
    openTried = true;
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        error = noSoundText("the audio system did not start", SDL_GetError());
        return false;
    }
    subsystemStarted = true;
    SDL_AudioSpec want{};
    want.freq = kWantedRate;
    want.format = AUDIO_S16SYS;
    want.channels = kWantedChannels;
    want.samples = kDeviceFrames;
    want.callback = &Impl::callback;
    want.userdata = this;
    SDL_AudioSpec have{};
    device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, SDL_AUDIO_ALLOW_FREQUENCY_CHANGE);
    if (device == 0 || have.freq <= 0 || have.channels == 0) {
        error = noSoundText("no audio output device could be opened", SDL_GetError());
        if (device != 0) SDL_CloseAudioDevice(device);
        device = 0;
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        subsystemStarted = false;
        return false;
    }
    deviceFormat = have;
    {
        std::lock_guard lock(mutex);  // the callback cannot run yet: the device is paused
        mix.resize(std::size_t{have.samples} * have.channels);
        retired.reserve(2 * kPlayerChannels);
    }
    SDL_PauseAudioDevice(device, 0);
    return true;
}

bool SdlEngine::Impl::refill(Voice& v) {
    const PlayerSample& s = *v.sample;
    const auto channels = static_cast<std::size_t>(s.channels);
    const std::size_t total = s.frames();
    v.pendingAt = 0;
    if (v.resampler == nullptr) {
        // The device's own rate: the samples go to the mix as they are.
        const std::size_t n = std::min(kPieceFrames, total - v.fedFrames);
        const std::int16_t* from = s.samples.data() + v.fedFrames * channels;
        v.pending.assign(from, from + n * channels);
        v.fedFrames += n;
        return n > 0;
    }
    // The resampler is always given room for all it can make: with less,
    // its soxr engine fails while draining.
    const std::size_t count = std::min(kPieceFrames, total - v.fedFrames);
    const int room = swr_get_out_samples(v.resampler, static_cast<int>(count));
    if (room <= 0) return false;
    v.pending.resize(static_cast<std::size_t>(room) * channels);
    auto* out = reinterpret_cast<std::uint8_t*>(v.pending.data());
    const auto* in =
        reinterpret_cast<const std::uint8_t*>(s.samples.data() + v.fedFrames * channels);
    const int made = count > 0 ? swr_convert(v.resampler, &out, room, &in, static_cast<int>(count))
                               : swr_convert(v.resampler, &out, room, nullptr, 0);
    v.fedFrames += count;
    if (made < 0) return false;
    v.pending.resize(static_cast<std::size_t>(made) * channels);
    // Nothing made: still filling the filter, or drained when the input is all in.
    return made > 0 || count > 0;
}

bool SdlEngine::Impl::pull(Voice& v, std::size_t frames) {
    const auto srcChannels = static_cast<std::size_t>(v.sample->channels);
    const auto devChannels = static_cast<std::size_t>(deviceFormat.channels);
    std::size_t got = 0;
    while (got < frames) {
        if (v.pendingAt >= v.pending.size()) {
            if (!refill(v)) return false;  // played to its end
            continue;
        }
        const std::size_t n =
            std::min(frames - got, (v.pending.size() - v.pendingAt) / srcChannels);
        // Mono goes to every side; stereo keeps its sides (mixed for a mono device).
        for (std::size_t i = 0; i < n; ++i) {
            std::int32_t* frame = mix.data() + (got + i) * devChannels;
            const std::int16_t* in = v.pending.data() + v.pendingAt + i * srcChannels;
            if (srcChannels == 1) {
                for (std::size_t d = 0; d < devChannels; ++d) frame[d] += in[0];
            } else if (devChannels == 1) {
                frame[0] += (in[0] + in[1]) / 2;
            } else {
                frame[0] += in[0];
                frame[1] += in[1];
            }
        }
        v.pendingAt += n * srcChannels;
        got += n;
    }
    return true;
}

void SdlEngine::Impl::fill(Uint8* out, int len) {
    std::lock_guard lock(mutex);
    const std::size_t frameBytes = sizeof(std::int16_t) * deviceFormat.channels;
    const std::size_t frames = static_cast<std::size_t>(std::max(len, 0)) / frameBytes;
    const std::size_t want = frames * deviceFormat.channels;
    if (mix.size() < want) mix.resize(want);
    std::fill_n(mix.begin(), want, 0);
    for (Voice& v : voices) {
        if (!v.active() || v.paused) continue;
        if (!pull(v, frames)) {
            retired.push_back(std::move(v));
            v = Voice{};
        }
    }
    auto* dst = reinterpret_cast<std::int16_t*>(out);
    for (std::size_t i = 0; i < want; ++i)
        dst[i] = static_cast<std::int16_t>(
            std::clamp<std::int32_t>(mix[i], std::numeric_limits<std::int16_t>::min(),
                                     std::numeric_limits<std::int16_t>::max()));
    std::fill(out + want * sizeof(std::int16_t), out + len, Uint8{0});
}

SdlEngine::SdlEngine() : impl_(std::make_unique<Impl>()) {}

SdlEngine::~SdlEngine() {
    std::lock_guard lock(impl_->deviceMutex);
    // Closing waits for the callback, which only takes `mutex`.
    if (impl_->device != 0) SDL_CloseAudioDevice(impl_->device);
    impl_->device = 0;
    for (Voice& v : impl_->voices) release(v);
    releaseAll(impl_->retired);
    if (impl_->subsystemStarted) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        // Nothing else of SDL in use: free its remaining global state too.
        if (SDL_WasInit(SDL_INIT_EVERYTHING) == 0) SDL_Quit();
    }
}

bool SdlEngine::available() {
    std::lock_guard lock(impl_->deviceMutex);
    return impl_->ensureOpen();
}

std::string SdlEngine::errorText() const {
    std::lock_guard lock(impl_->deviceMutex);
    return impl_->error;
}

bool SdlEngine::playPaused(int channel, SampleHandle sample) {
    if (channel < 0 || channel >= kPlayerChannels || !sample) return false;
    if (sample->channels < 1 || sample->channels > 2 || sample->sampleRate <= 0 ||
        sample->sampleRate > kMaxPlayerRate)
        return false;
    int rate = 0;
    {
        std::lock_guard lock(impl_->deviceMutex);
        if (!impl_->ensureOpen()) return false;
        rate = impl_->deviceFormat.freq;
    }
    // Made outside the lock: the resampler's filter and the voice's buffer
    // are allocated here, not on the audio thread.
    SwrContext* resampler = nullptr;
    std::size_t pieceFrames = kPieceFrames;
    if (sample->sampleRate != rate) {
        resampler = makeResampler(*sample, rate);
        if (resampler == nullptr) return false;
        pieceFrames = static_cast<std::size_t>(
            std::max(swr_get_out_samples(resampler, static_cast<int>(kPieceFrames)), 0));
    }
    std::vector<std::int16_t> pending;
    pending.reserve((pieceFrames + kPieceFrames) * static_cast<std::size_t>(sample->channels));
    Voice previous;
    std::vector<Voice> retired;
    {
        std::lock_guard lock(impl_->mutex);
        previous = std::exchange(impl_->voices[static_cast<std::size_t>(channel)], Voice{});
        Voice& v = impl_->voices[static_cast<std::size_t>(channel)];
        v.sample = std::move(sample);
        v.resampler = resampler;
        v.pending = std::move(pending);
        v.paused = true;
        retired = impl_->takeRetired();
    }
    release(previous);
    releaseAll(retired);
    return true;
}

void SdlEngine::unpauseAll() {
    std::lock_guard lock(impl_->mutex);
    for (Voice& v : impl_->voices) v.paused = false;
}

bool SdlEngine::isPlaying(int channel) {
    if (channel < 0 || channel >= kPlayerChannels) return false;
    bool playing = false;
    std::vector<Voice> retired;
    {
        std::lock_guard lock(impl_->mutex);
        playing = impl_->voices[static_cast<std::size_t>(channel)].active();
        retired = impl_->takeRetired();
    }
    releaseAll(retired);
    return playing;
}

void SdlEngine::stopAll() {
    std::vector<Voice> stopped;
    {
        std::lock_guard lock(impl_->mutex);
        stopped = impl_->takeRetired();
        for (Voice& v : impl_->voices)
            if (v.active()) stopped.push_back(std::exchange(v, Voice{}));
    }
    releaseAll(stopped);
}

int SdlEngine::deviceRate() const {
    std::lock_guard lock(impl_->deviceMutex);
    return impl_->device != 0 ? impl_->deviceFormat.freq : 0;
}

int SdlEngine::deviceChannels() const {
    std::lock_guard lock(impl_->deviceMutex);
    return impl_->device != 0 ? impl_->deviceFormat.channels : 0;
}

}  // namespace zadaravod

extern "C" __attribute__((visibility("default"))) const zadaravod::audio_module::SdlFunctions*
zadaravod_sdl_module(int interfaceVersion) {
    static const zadaravod::audio_module::SdlFunctions table = {
        []() -> zadaravod::audio_module::PlayerEngine* { return new zadaravod::SdlEngine; }};
    return interfaceVersion == zadaravod::audio_module::kModuleInterfaceVersion ? &table : nullptr;
}
