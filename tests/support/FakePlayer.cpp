#include "support/FakePlayer.h"

#include <utility>

namespace zadaravod::test {

milliseconds FakeClock::now() const {
    std::lock_guard lock(mutex_);
    return now_;
}

void FakeClock::sleep(milliseconds ms) {
    std::unique_lock lock(mutex_);
    now_ += ms;
    if (holdAt_ && now_ >= *holdAt_) {
        holdAt_.reset();
        held_ = true;
        changed_.notify_all();
        changed_.wait(lock, [this] { return !held_; });
    }
}

void FakeClock::holdAt(milliseconds mark) {
    std::lock_guard lock(mutex_);
    holdAt_ = mark;
}

bool FakeClock::waitUntilHeld() {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, std::chrono::seconds(20), [this] { return held_; });
}

void FakeClock::release() {
    std::lock_guard lock(mutex_);
    held_ = false;
    changed_.notify_all();
}

void FakePlayer::setAvailable(bool available, std::string error) {
    std::lock_guard lock(mutex_);
    available_ = available;
    error_ = std::move(error);
}

void FakePlayer::setLength(const std::string& path, milliseconds length) {
    std::lock_guard lock(mutex_);
    lengths_[path] = length;
}

void FakePlayer::failLoad(const std::string& path, std::string reason) {
    std::lock_guard lock(mutex_);
    failures_[path] = std::move(reason);
}

void FakePlayer::refusePlays(bool refuse) {
    std::lock_guard lock(mutex_);
    refusePlays_ = refuse;
}

void FakePlayer::finish() {
    std::lock_guard lock(mutex_);
    playing_.reset();
}

std::vector<std::string> FakePlayer::calls() const {
    std::lock_guard lock(mutex_);
    return calls_;
}

std::vector<std::string> FakePlayer::loaded() const {
    std::lock_guard lock(mutex_);
    return loaded_;
}

SampleHandle FakePlayer::lastSamples() const {
    std::lock_guard lock(mutex_);
    return lastSamples_;
}

bool FakePlayer::available() {
    std::lock_guard lock(mutex_);
    calls_.push_back("available");
    return available_;
}

std::string FakePlayer::errorText() const {
    std::lock_guard lock(mutex_);
    return available_ ? std::string{} : error_;
}

LoadResult FakePlayer::loadFile(const std::string& path) {
    std::lock_guard lock(mutex_);
    calls_.push_back("load " + path);
    LoadResult result;
    if (auto f = failures_.find(path); f != failures_.end()) {
        result.error = f->second;
        return result;
    }
    loaded_.push_back(path);
    auto sample = std::make_shared<PlayerSample>();
    sample->sampleRate = 8000;
    std::optional<milliseconds> length;
    if (auto l = lengths_.find(path); l != lengths_.end()) length = l->second;
    sampleLengths_[sample.get()] = length;
    result.sample = std::move(sample);
    return result;
}

LoadResult FakePlayer::loadSamples(std::vector<std::int16_t> mono, int sampleRate) {
    LoadResult result = Player::loadSamples(std::move(mono), sampleRate);
    std::lock_guard lock(mutex_);
    calls_.push_back("samples " + std::to_string(result ? result.sample->frames() : 0) + " at " +
                     std::to_string(sampleRate));
    if (result) {
        lastSamples_ = result.sample;
        sampleLengths_[result.sample.get()] = milliseconds{result.sample->durationMs()};
    }
    return result;
}

bool FakePlayer::playPaused(int channel, SampleHandle sample) {
    std::lock_guard lock(mutex_);
    calls_.push_back("play " + std::to_string(channel) + " paused");
    if (!available_ || refusePlays_ || !sample || channel != kPlaybackChannel) return false;
    auto l = sampleLengths_.find(sample.get());
    playingLength_ = l != sampleLengths_.end() ? l->second : std::nullopt;
    playing_ = std::move(sample);
    startedAt_ = now();
    return true;
}

void FakePlayer::unpauseAll() {
    std::lock_guard lock(mutex_);
    calls_.push_back("unpause all");
}

bool FakePlayer::isPlaying(int channel) {
    std::lock_guard lock(mutex_);
    if (channel != kPlaybackChannel || !playing_) return false;
    if (playingLength_ && now() >= startedAt_ + *playingLength_) playing_.reset();
    return playing_ != nullptr;
}

void FakePlayer::stopAll() {
    {
        std::lock_guard lock(mutex_);
        calls_.push_back("stop all");
        playing_.reset();
    }
    if (onStopAll) onStopAll();
}

}  // namespace zadaravod::test
