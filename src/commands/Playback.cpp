#include "commands/Playback.h"

#include <algorithm>
#include <exception>
#include <system_error>
#include <utility>

#include "commands/AsChip.h"
#include "commands/UserInterface.h"

namespace zadaravod {

namespace {

using std::chrono::milliseconds;

/// The slice of every wait: a stop is noticed within one slice.
constexpr milliseconds kSlice{10};
/// A silence advances the bar every this many milliseconds.
constexpr std::int64_t kSilenceStepMs = 120;
/// A playing sound advances the bar every this many milliseconds.
constexpr int kSoundStepMs = 100;
/// The bar of a playlist play with nothing selected: 10 steps of 1 ms.
constexpr int kEmptyRunSteps = 10;
/// idleTicks while a playlist plays an entry.
constexpr int kPlaylistIdleTicks = 11;

constexpr const char* kSelectText = "Pls select a sound to play";

/// Why a loaded sound did not start on a device that is there.
std::string refusedText(const PlayerSample& sample) {
    return "The sound card cannot play a sound of " + std::to_string(sample.sampleRate) +
           " Hz. Convert the sound to one of the supported rates.";
}

int clampRange(std::int64_t upper) {
    return static_cast<int>(std::clamp<std::int64_t>(upper, 0, Playback::kMaxRange));
}

}  // namespace

Playback::Playback(Player& player, PlaybackEvents events, PlaybackOptions options)
    : player_(player), events_(std::move(events)), options_(std::move(options)) {}

Playback::~Playback() { stopAndJoin(); }

// --- commands (the caller's thread) -----------------------------------------

PlayOutcome Playback::playLibrary(const CSoundList& library, int selected, PlayMode mode) {
    if (idleTicks_.load() < kIdleTicksNeeded || workerRunning_.load()) return PlayOutcome::Refused;
    if (selected < 0 || static_cast<std::size_t>(selected) >= library.count()) {
        sendMessage(kSelectText);
        return PlayOutcome::NoSelection;
    }
    if (!player_.available()) {
        reportNoDevice();
        return PlayOutcome::NoDevice;
    }
    Work work;
    work.job = Job::Library;
    work.mode = mode;
    work.entries.push_back(library.at(static_cast<std::size_t>(selected)));
    return start(std::move(work));
}

PlayOutcome Playback::playPlaylist(const CSoundList& list, int selected, PlayMode mode) {
    if (idleTicks_.load() < kIdleTicksNeeded || workerRunning_.load()) return PlayOutcome::Refused;
    Work work;
    work.job = Job::Playlist;
    work.mode = mode;
    if (selected < 0 || static_cast<std::size_t>(selected) >= list.count()) {
        work.nothingSelected = true;
    } else {
        if (!player_.available()) {
            reportNoDevice();
            return PlayOutcome::NoDevice;
        }
        auto from = list.begin();
        std::advance(from, selected);
        work.entries.assign(from, list.end());
    }
    playlistDone_ = false;
    commandsRestored_ = false;
    return start(std::move(work));
}

PlayOutcome Playback::playBackground(const CSoundList& music, int selected) {
    if (selected < 0 || static_cast<std::size_t>(selected) >= music.count()) {
        sendMessage(kSelectText);
        return PlayOutcome::NoSelection;
    }
    if (!player_.available()) {
        reportNoDevice();
        return PlayOutcome::NoDevice;
    }
    // The music takes channel 1: a worker still playing there ends first.
    if (workerRunning_.load()) requestStop();
    joinWorker();
    const LoadResult loaded =
        player_.loadFile(music.at(static_cast<std::size_t>(selected)).filePath);
    if (!loaded) {
        sendMessage(loaded.error);
        return PlayOutcome::Failed;
    }
    if (!player_.playPaused(kPlaybackChannel, loaded.sample)) {
        sendMessage(refusedText(*loaded.sample));
        return PlayOutcome::Failed;
    }
    player_.unpauseAll();
    return PlayOutcome::Started;
}

void Playback::requestStop() {
    stopRequested_ = true;
    player_.stopAll();
}

void Playback::stopAndJoin() {
    requestStop();
    joinWorker();
}

void Playback::waitUntilFinished() { joinWorker(); }

bool Playback::tick() {
    if (player_.isPlaying(kPlaybackChannel)) {
        idleTicks_ = 0;
        return false;
    }
    int ticks = idleTicks_.load();
    bool restore = false;
    if (ticks >= kIdleTicksNeeded && playlistDone_.load() && !commandsRestored_) {
        commandsRestored_ = true;
        restore = true;
    }
    // The worker may set its own figure meanwhile; it wins.
    if (ticks < kIdleTicksNeeded) idleTicks_.compare_exchange_strong(ticks, ticks + 1);
    return restore;
}

PlayOutcome Playback::start(Work work) {
    joinWorker();  // the last worker has ended: the join returns at once
    stopRequested_ = false;
    loadFailureReported_ = false;
    workerRunning_ = true;
    try {
        worker_ = std::thread([this, w = std::move(work)] { run(w); });
    } catch (const std::system_error& e) {
        workerRunning_ = false;
        sendMessage(std::string("Playback cannot start: ") + e.what() +
                    ". Close other programs and try again.");
        return PlayOutcome::Failed;
    }
    return PlayOutcome::Started;
}

void Playback::joinWorker() {
    if (worker_.joinable() && worker_.get_id() != std::this_thread::get_id()) worker_.join();
}

// --- the worker ---------------------------------------------------------------

void Playback::run(const Work& work) {
    try {
        if (work.job == Job::Library)
            runLibrary(work);
        else
            runPlaylist(work);
    } catch (const std::exception& e) {
        player_.stopAll();
        sendMessage(std::string("Playback stopped: ") + e.what());
    }
    workerRunning_ = false;
}

void Playback::runLibrary(const Work& work) {
    const CSound& sound = work.entries.front();
    position_ = 0;
    upper_ = clampRange(std::int64_t{sound.durationMs} / kSoundStepMs + 1);
    report();
    if (!playSound(sound, work.mode)) return;
    waitWhilePlaying();
}

void Playback::runPlaylist(const Work& work) {
    std::int64_t total = 0;
    for (const CSound& e : work.entries) total += e.durationMs;
    position_ = 0;
    upper_ = total <= 100 ? 1 : clampRange(total / 100);
    report();

    if (work.nothingSelected) {
        upper_ = kEmptyRunSteps;
        report();
        while (position_ < upper_) {
            sleep(milliseconds{1});
            if (stopping()) return;
            ++position_;
            report();
        }
    } else if (work.mode == PlayMode::AsChip) {
        if (!runPlaylistAsChip(work)) return;
    } else {
        for (const CSound& e : work.entries) {
            if (stopping()) return;
            idleTicks_ = kPlaylistIdleTicks;
            if (e.isSound()) {
                // A sound that cannot be loaded is reported once and skipped.
                if (playSound(e, PlayMode::File)) waitWhilePlaying();
            } else {
                for (std::int64_t t = 0; t < e.durationMs; t += kSlice.count()) {
                    if (t % kSilenceStepMs == 0) advance();
                    sleep(kSlice);
                    if (stopping()) return;
                }
                waitWhilePlaying();
            }
            if (!waitUntilSilent()) return;
        }
    }
    playlistDone_ = true;
    position_ = upper_;
    report();
    if (events_.playlistDone) events_.playlistDone();
}

bool Playback::runPlaylistAsChip(const Work& work) {
    RenderedAudio audio;
    std::string error;
    if (!renderEntriesAsChip(options_.converterPath, work.entries, audio, error, &stopRequested_)) {
        if (!error.empty()) sendMessage(error);  // empty: stopped meanwhile
        return false;
    }
    idleTicks_ = kPlaylistIdleTicks;
    if (!playBlock(player_.loadSamples(std::move(audio.samples), audio.sampleRate))) return false;
    waitWhilePlaying();
    return waitUntilSilent();
}

bool Playback::playSound(const CSound& sound, PlayMode mode) {
    if (mode == PlayMode::AsChip) {
        RenderedAudio audio;
        LoadResult failed;
        if (!renderSoundAsChip(options_.converterPath, sound.filePath, sound.sampleRate, audio,
                               failed.error))
            return playBlock(failed);
        return playBlock(player_.loadSamples(std::move(audio.samples), audio.sampleRate));
    }
    return playBlock(player_.loadFile(sound.filePath));
}

bool Playback::playBlock(const LoadResult& loaded) {
    if (!loaded) {
        if (!loadFailureReported_) {
            loadFailureReported_ = true;
            sendMessage(loaded.error);
        }
        return false;
    }
    if (stopping()) return false;
    if (!player_.playPaused(kPlaybackChannel, loaded.sample)) {
        if (!player_.available()) {
            reportNoDevice();
        } else if (!loadFailureReported_) {
            loadFailureReported_ = true;
            sendMessage(refusedText(*loaded.sample));
        }
        return false;
    }
    player_.unpauseAll();
    // A stop that came while the sound was starting may have missed it.
    if (stopping()) {
        player_.stopAll();
        return false;
    }
    return true;
}

void Playback::waitWhilePlaying() {
    int sinceStep = 0;
    while (player_.isPlaying(kPlaybackChannel)) {
        if (stopping()) return;
        if (sinceStep == 0) advance();
        sleep(kSlice);
        sinceStep = (sinceStep + static_cast<int>(kSlice.count())) % kSoundStepMs;
    }
}

bool Playback::waitUntilSilent() {
    while (player_.isPlaying(kPlaybackChannel)) {
        if (stopping()) return false;
        sleep(kSlice);
    }
    return !stopping();
}

void Playback::advance() {
    if (position_ < upper_) {
        ++position_;
        report();
    }
}

void Playback::report() {
    if (events_.progress) events_.progress(position_, upper_);
}

void Playback::sendMessage(const std::string& text) {
    if (events_.message) events_.message(text, kAppCaption);
}

void Playback::reportNoDevice() {
    if (noDeviceReported_.exchange(true)) return;
    std::string text = player_.errorText();
    if (text.empty()) text = "No sound can be played: no audio output device is available.";
    sendMessage(text);
}

void Playback::sleep(milliseconds ms) {
    if (options_.sleep)
        options_.sleep(ms);
    else
        std::this_thread::sleep_for(ms);
}

}  // namespace zadaravod
