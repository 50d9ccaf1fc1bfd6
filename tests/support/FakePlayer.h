#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "audio/Player.h"

namespace zadaravod::test {

using std::chrono::milliseconds;

/// Fake time for the playback engine: sleep() advances it at once. A test
/// can hold the sleeping thread when the time reaches a mark, act while it
/// waits, and release it; so every step of the engine happens at a known
/// fake time, whatever the machine's speed.
class FakeClock {
  public:
    milliseconds now() const;
    /// Advances the time by `ms`; blocks while held (see holdAt()).
    void sleep(milliseconds ms);
    /// The sleep function to hand to the engine.
    std::function<void(milliseconds)> sleeper() {
        return [this](milliseconds ms) { sleep(ms); };
    }
    /// The first sleep that brings the time to `mark` or past it blocks
    /// until release().
    void holdAt(milliseconds mark);
    /// Waits (up to a few seconds of real time, a guard against a hang)
    /// until a sleeper is held; false when none came.
    bool waitUntilHeld();
    void release();

  private:
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    milliseconds now_{0};
    std::optional<milliseconds> holdAt_;
    bool held_ = false;
};

/// A Player that records its calls and plays by a script: a loaded file
/// plays for the length the test gave its path (in fake time), or until the
/// test calls finish() when it gave none; a block of samples plays for its
/// own length.
class FakePlayer : public Player {
  public:
    explicit FakePlayer(const FakeClock* clock = nullptr) : clock_(clock) {}

    // --- the script ---
    void setAvailable(bool available, std::string error = {});
    void setLength(const std::string& path, milliseconds length);
    void failLoad(const std::string& path, std::string reason);
    /// playPaused() refuses every sample (a device that cannot play it).
    void refusePlays(bool refuse);
    /// Channel 1 stops now.
    void finish();
    /// Runs inside every stopAll(), on the caller's thread.
    std::function<void()> onStopAll;

    // --- what happened ---
    /// "available", "load <path>", "samples <n> at <rate>", "play <channel>
    /// paused", "unpause all", "stop all"; isPlaying() is not recorded.
    std::vector<std::string> calls() const;
    /// The paths of the files loaded, in order.
    std::vector<std::string> loaded() const;
    /// The last block of samples loaded (null when none).
    SampleHandle lastSamples() const;

    bool available() override;
    std::string errorText() const override;
    LoadResult loadFile(const std::string& path) override;
    LoadResult loadSamples(std::vector<std::int16_t> mono, int sampleRate) override;
    bool playPaused(int channel, SampleHandle sample) override;
    void unpauseAll() override;
    bool isPlaying(int channel) override;
    void stopAll() override;

  private:
    milliseconds now() const { return clock_ != nullptr ? clock_->now() : milliseconds{0}; }

    const FakeClock* clock_;
    mutable std::mutex mutex_;
    bool available_ = true;
    bool refusePlays_ = false;
    std::string error_;
    std::map<std::string, milliseconds> lengths_;
    std::map<std::string, std::string> failures_;
    std::map<const PlayerSample*, std::optional<milliseconds>> sampleLengths_;
    std::vector<std::string> calls_;
    std::vector<std::string> loaded_;
    SampleHandle lastSamples_;
    SampleHandle playing_;  ///< on channel 1
    milliseconds startedAt_{0};
    std::optional<milliseconds> playingLength_;
};

}  // namespace zadaravod::test
