#include "audio/SdlPlayer.h"

#include <SDL.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <limits>
#include <mutex>
#include <utility>
#include <vector>

namespace zadaravod {

namespace {

/// What the player asks the device for; a device that prefers another rate
/// keeps its own (no second resampling inside SDL).
constexpr int kWantedRate = 44100;
constexpr int kWantedChannels = 2;
/// Device buffer in frames: about 23 ms at 44.1 kHz.
constexpr Uint16 kDeviceFrames = 1024;
/// Source frames handed to a channel's converter at a time.
constexpr std::size_t kFeedFrames = 4096;

/// One channel's sound: the sample it plays and its converter to the
/// device's format. Owns `stream`.
struct Voice {
    SampleHandle sample;
    SDL_AudioStream* stream = nullptr;
    std::size_t fedFrames = 0;  ///< source frames handed to `stream`
    bool flushed = false;       ///< the converter was told that the input ended
    bool paused = false;

    bool active() const { return stream != nullptr; }
};

/// Frees what a voice holds. Called without the player's lock.
void release(Voice& v) {
    if (v.stream != nullptr) SDL_FreeAudioStream(v.stream);
    v = Voice{};
}

void releaseAll(std::vector<Voice>& voices) {
    for (Voice& v : voices) release(v);
    voices.clear();
}

std::string noSoundText(const std::string& what, const char* reason) {
    std::string text = "No sound can be played: " + what;
    if (reason != nullptr && *reason != '\0') text += " (" + std::string(reason) + ")";
    return text +
           ". Check that a sound card is present and that the sound server (PipeWire or "
           "PulseAudio) runs; everything else in the editor works without sound.";
}

}  // namespace

struct SdlPlayer::Impl {
    /// Guards everything below. The device callback takes it too, so no
    /// SDL call that waits for the callback may be made while holding it.
    mutable std::mutex mutex;
    bool openTried = false;
    bool subsystemStarted = false;
    SDL_AudioDeviceID device = 0;
    SDL_AudioSpec spec{};
    std::string error;
    std::array<Voice, kPlayerChannels> voices{};
    /// Voices that fell silent inside the callback, freed by the next call.
    std::vector<Voice> retired;
    std::vector<std::int32_t> mix;  ///< callback scratch, device frames x channels
    std::vector<std::int16_t> piece;

    /// Opens the device once. Called with `mutex` held.
    bool ensureOpen();
    /// Fills one device buffer. Called by SDL's audio thread.
    void fill(Uint8* out, int len);
    /// Pulls up to `want` converted samples of voice `v` into `mix`; returns
    /// false when the voice has played to its end (or its converter failed).
    bool pull(Voice& v, std::size_t want);
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

bool SdlPlayer::Impl::ensureOpen() {
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
    spec = have;
    const std::size_t samples = std::max<std::size_t>(have.samples, kDeviceFrames) * have.channels;
    mix.resize(samples);
    piece.resize(samples);
    retired.reserve(2 * kPlayerChannels);
    // The device starts paused, so the callback cannot be waiting for the
    // lock held here.
    SDL_PauseAudioDevice(device, 0);
    return true;
}

bool SdlPlayer::Impl::pull(Voice& v, std::size_t want) {
    const PlayerSample& s = *v.sample;
    const std::size_t total = s.frames();
    std::size_t got = 0;
    while (got < want) {
        const std::size_t room = std::min(want - got, piece.size());
        const int bytes = SDL_AudioStreamGet(v.stream, piece.data(),
                                             static_cast<int>(room * sizeof(std::int16_t)));
        if (bytes < 0) return false;
        if (bytes > 0) {
            const auto n = static_cast<std::size_t>(bytes) / sizeof(std::int16_t);
            for (std::size_t i = 0; i < n; ++i) mix[got + i] += piece[i];
            got += n;
            continue;
        }
        if (v.fedFrames < total) {
            const std::size_t n = std::min(kFeedFrames, total - v.fedFrames);
            const auto ch = static_cast<std::size_t>(s.channels);
            if (SDL_AudioStreamPut(v.stream, s.samples.data() + v.fedFrames * ch,
                                   static_cast<int>(n * ch * sizeof(std::int16_t))) != 0)
                return false;
            v.fedFrames += n;
            continue;
        }
        if (!v.flushed) {
            v.flushed = true;
            if (SDL_AudioStreamFlush(v.stream) != 0) return false;
            continue;
        }
        return false;  // every converted sample has been handed out
    }
    return true;
}

void SdlPlayer::Impl::fill(Uint8* out, int len) {
    std::lock_guard lock(mutex);
    const std::size_t frameBytes = sizeof(std::int16_t) * spec.channels;
    const std::size_t frames = static_cast<std::size_t>(std::max(len, 0)) / frameBytes;
    const std::size_t want = frames * spec.channels;
    if (mix.size() < want) {
        mix.resize(want);
        piece.resize(want);
    }
    std::fill_n(mix.begin(), want, 0);
    for (Voice& v : voices) {
        if (!v.active() || v.paused) continue;
        if (!pull(v, want)) {
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

SdlPlayer::SdlPlayer() : impl_(std::make_unique<Impl>()) {}

SdlPlayer::~SdlPlayer() {
    SDL_AudioDeviceID device = 0;
    {
        std::lock_guard lock(impl_->mutex);
        device = impl_->device;
        impl_->device = 0;
    }
    // Closing waits for the callback, which takes the lock: not held here.
    if (device != 0) SDL_CloseAudioDevice(device);
    for (Voice& v : impl_->voices) release(v);
    releaseAll(impl_->retired);
    if (impl_->subsystemStarted) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        // Nothing else of SDL in use: free its remaining global state too.
        if (SDL_WasInit(SDL_INIT_EVERYTHING) == 0) SDL_Quit();
    }
}

bool SdlPlayer::available() {
    std::lock_guard lock(impl_->mutex);
    return impl_->ensureOpen();
}

std::string SdlPlayer::errorText() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->error;
}

bool SdlPlayer::playPaused(int channel, SampleHandle sample) {
    if (channel < 0 || channel >= kPlayerChannels || !sample) return false;
    if (sample->channels < 1 || sample->channels > 2 || sample->sampleRate <= 0 ||
        sample->sampleRate > kMaxPlayerRate)
        return false;
    int rate = 0, channels = 0;
    {
        std::lock_guard lock(impl_->mutex);
        if (!impl_->ensureOpen()) return false;
        rate = impl_->spec.freq;
        channels = impl_->spec.channels;
    }
    // Made outside the lock: it allocates the converter's tables.
    SDL_AudioStream* stream =
        SDL_NewAudioStream(AUDIO_S16SYS, static_cast<Uint8>(sample->channels), sample->sampleRate,
                           AUDIO_S16SYS, static_cast<Uint8>(channels), rate);
    if (stream == nullptr) return false;
    Voice previous;
    std::vector<Voice> retired;
    {
        std::lock_guard lock(impl_->mutex);
        previous = std::exchange(impl_->voices[static_cast<std::size_t>(channel)], Voice{});
        Voice& v = impl_->voices[static_cast<std::size_t>(channel)];
        v.sample = std::move(sample);
        v.stream = stream;
        v.paused = true;
        retired = impl_->takeRetired();
    }
    release(previous);
    releaseAll(retired);
    return true;
}

void SdlPlayer::unpauseAll() {
    std::lock_guard lock(impl_->mutex);
    for (Voice& v : impl_->voices) v.paused = false;
}

bool SdlPlayer::isPlaying(int channel) {
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

void SdlPlayer::stopAll() {
    std::vector<Voice> stopped;
    {
        std::lock_guard lock(impl_->mutex);
        stopped = impl_->takeRetired();
        for (Voice& v : impl_->voices)
            if (v.active()) stopped.push_back(std::exchange(v, Voice{}));
    }
    releaseAll(stopped);
}

int SdlPlayer::deviceRate() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->device != 0 ? impl_->spec.freq : 0;
}

int SdlPlayer::deviceChannels() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->device != 0 ? impl_->spec.channels : 0;
}

}  // namespace zadaravod
