#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace zadaravod {

/// A block of 16-bit PCM audio ready to play. Immutable once made; shared
/// (by shared_ptr) between whoever loaded it and the channel that plays it,
/// so a channel keeps its block alive until it falls silent.
struct PlayerSample {
    int sampleRate = 0;  ///< Hz, 1..kMaxPlayerRate
    int channels = 1;    ///< 1 or 2; `samples` is interleaved
    std::vector<std::int16_t> samples;

    std::size_t frames() const {
        return channels > 0 ? samples.size() / static_cast<std::size_t>(channels) : 0;
    }
    /// Length in milliseconds (truncated).
    std::int64_t durationMs() const {
        return sampleRate > 0 ? static_cast<std::int64_t>(frames()) * 1000 /
                                    static_cast<std::int64_t>(sampleRate)
                              : 0;
    }
};

using SampleHandle = std::shared_ptr<const PlayerSample>;

/// The outcome of a load: a sample, or none and the reason.
struct LoadResult {
    SampleHandle sample;
    std::string error;  ///< why nothing was loaded (names the file); "" on success

    explicit operator bool() const { return sample != nullptr; }
};

/// Channels of a player; every play command uses kPlaybackChannel.
inline constexpr int kPlayerChannels = 2;
inline constexpr int kPlaybackChannel = 1;
/// The highest sampling rate a sample may have, in Hz.
inline constexpr int kMaxPlayerRate = 384000;
/// Files larger than this are not loaded (about 50 minutes of 16-bit stereo
/// at 44.1 kHz); the player holds a whole file in memory while it plays.
inline constexpr std::uintmax_t kMaxPlayerFileBytes = std::uintmax_t{512} << 20;

/// The audio player the play commands drive. The calls mirror the few the
/// editor relies on: load a file (or a block of samples) as a sample, start a
/// sample on a channel paused, un-pause every channel, ask whether a channel
/// plays, stop every channel.
///
/// Thread safety: every call may come from any thread; a worker polling
/// isPlaying() while the window calls stopAll() is the expected use.
/// No call blocks for longer than a device open, and none throws.
///
/// Without an output device available() is false and errorText() says why;
/// every play call is then a harmless no-op (playPaused() returns false,
/// isPlaying() false). Loading does not need a device.
class Player {
  public:
    Player() = default;
    virtual ~Player() = default;
    Player(const Player&) = delete;
    Player& operator=(const Player&) = delete;

    /// Opens the output device on first use (once; it stays open for the
    /// player's life) and says whether it can play.
    virtual bool available() = 0;
    /// Why the player cannot play, written for the user; "" while it can.
    virtual std::string errorText() const = 0;

    /// Reads a WAV file (PCM 8 or 16 bits, mono or stereo, any rate up to
    /// kMaxPlayerRate, at most kMaxPlayerFileBytes) as a sample. A file that
    /// cannot be read or is not such a WAV gives no sample and the reason.
    virtual LoadResult loadFile(const std::string& path);
    /// Takes mono samples at `sampleRate` Hz as a sample; a rate outside
    /// 1..kMaxPlayerRate gives no sample and the reason.
    virtual LoadResult loadSamples(std::vector<std::int16_t> mono, int sampleRate);

    /// Starts `sample` on `channel` (0..kPlayerChannels-1), paused. A sound
    /// already on that channel is stopped. False (nothing changes) without a
    /// device, for a bad channel or a null sample.
    virtual bool playPaused(int channel, SampleHandle sample) = 0;
    /// Un-pauses every channel.
    virtual void unpauseAll() = 0;
    /// Whether `channel` holds a sound that has not played to its end (a
    /// paused sound counts as playing). Never opens the device.
    virtual bool isPlaying(int channel) = 0;
    /// Stops every channel at once and releases what they played.
    virtual void stopAll() = 0;
};

/// The WAV reading behind Player::loadFile, for players and tools.
LoadResult loadWavSample(const std::string& path);
/// The sample making behind Player::loadSamples.
LoadResult makeMonoSample(std::vector<std::int16_t> mono, int sampleRate);

}  // namespace zadaravod
