#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "audio/Player.h"
#include "model/Sound.h"

namespace zadaravod {

/// What a play command did.
enum class PlayOutcome {
    Started,      ///< playback began: a worker runs (library, playlist) or music plays
    Refused,      ///< something plays, fell silent less than 10 ticks ago, or a worker runs
    NoSelection,  ///< nothing selected; "Pls select a sound to play" was sent (library, music)
    NoDevice,     ///< the player cannot play; its reason was sent the first time only
    Failed,       ///< the sound could not be loaded; the reason was sent
};

/// How a sound is played: its WAV file as it is, or as the chip plays it
/// (converted into its sound element and decoded, silences as the image
/// codes them).
enum class PlayMode { File, AsChip };

/// Where the engine's results go. Each may be called on the worker thread or
/// on the thread that called a play command, never with an engine lock held.
/// The window marshals them to its own thread (queued calls); none may wait
/// for the thread that calls stopAndJoin(), or the join would never end.
/// Empty functions are skipped.
struct PlaybackEvents {
    /// The progress bar: range 0..upper, at `position`. One step of a sound
    /// stands for 100 ms.
    std::function<void(int position, int upper)> progress;
    /// A message box for the user: text and caption.
    std::function<void(const std::string& text, const std::string& caption)> message;
    /// The playlist ran to its end (not after a stop).
    std::function<void()> playlistDone;
};

struct PlaybackOptions {
    /// Blocks the calling thread for a while; every wait of the engine goes
    /// through it (steps of 10 ms, 1 ms for an empty selection). Empty: the
    /// system clock. Tests put a fake clock here.
    std::function<void(std::chrono::milliseconds)> sleep;
    /// The converter plugin for PlayMode::AsChip (the application folder's
    /// libZozazeZovevidiz.so).
    std::string converterPath;
};

/// The play commands of the editor over a Player: library play, playlist
/// play, background play, the stop request and the 30 ms timer tick.
///
/// Library and playlist play run on one worker thread of the engine; every
/// other call belongs to one thread (the window's), except requestStop(),
/// which any thread may call. The worker plays a copy of what it was given,
/// taken when the play starts, so the lists may change or go meanwhile.
///
/// The idle rule: a library or playlist play is refused while channel 1
/// plays, for 10 ticks after it fell silent, and while a worker still runs.
/// A fresh engine counts 0 ticks, so the first play needs 10 ticks first.
class Playback {
  public:
    /// `player` must outlive the engine.
    Playback(Player& player, PlaybackEvents events, PlaybackOptions options = {});
    /// Stops and joins the worker.
    ~Playback();
    Playback(const Playback&) = delete;
    Playback& operator=(const Playback&) = delete;

    /// Plays library sound `selected` (0-based; -1 or out of range when
    /// nothing is selected) on the worker; the bar runs 0 ..
    /// durationMs / 100 + 1, one step per 100 ms while it plays.
    PlayOutcome playLibrary(const CSoundList& library, int selected,
                            PlayMode mode = PlayMode::File);
    /// Plays `list` from entry `selected` to its end on the worker: sounds
    /// played and waited for, silences timed in 10 ms steps with a bar step
    /// every 120 ms; then playlistDone. The bar's range is T / 100 (1 when
    /// T <= 100), T being the entries' summed length in ms. Nothing selected
    /// (-1 or out of range): the bar runs 0..10 in 1 ms steps and the list
    /// counts as done. The caller switches its commands off when Started.
    PlayOutcome playPlaylist(const CSoundList& list, int selected, PlayMode mode = PlayMode::File);
    /// Plays background music record `selected` on the caller's thread and
    /// returns at once; the bar is not driven and the idle rule does not
    /// apply. A running worker is stopped and joined first.
    PlayOutcome playBackground(const CSoundList& music, int selected);

    /// The stop request (Escape): the worker ends (at once during a sound,
    /// within 10 ms during a silence) without playlistDone, and every channel
    /// stops. Returns without waiting; callable from any thread.
    void requestStop();
    /// requestStop(), then waits for the worker to end. The window calls it
    /// before New, Open, Close and Exit. From the worker itself it only
    /// requests the stop.
    void stopAndJoin();
    /// Waits until the worker has ended by itself (for the command line).
    void waitUntilFinished();

    /// The 30 ms timer. Returns true once after a playlist ran to its end and
    /// the player stayed silent for 10 ticks: the caller then switches its
    /// commands back on.
    bool tick();

    int idleTicks() const { return idleTicks_.load(); }
    bool playlistDone() const { return playlistDone_.load(); }
    /// Whether the worker is still playing.
    bool busy() const { return workerRunning_.load(); }

    /// Ticks after channel 1 fell silent before a play is accepted.
    static constexpr int kIdleTicksNeeded = 10;
    /// The bar's range is a 16-bit figure.
    static constexpr int kMaxRange = 0xFFFF;

  private:
    enum class Job { Library, Playlist };
    /// What the worker plays: a copy taken when the play starts.
    struct Work {
        Job job = Job::Library;
        PlayMode mode = PlayMode::File;
        std::vector<CSound> entries;  ///< the library sound, or the list's entries
        bool nothingSelected = false;
    };

    PlayOutcome start(Work work);
    void run(const Work& work);
    void runLibrary(const Work& work);
    void runPlaylist(const Work& work);
    /// The list rendered as one block; true when it played to its end.
    bool runPlaylistAsChip(const Work& work);
    /// Loads (or renders) and starts one sound on channel 1; false (the
    /// reason sent once per play) when it cannot.
    bool playSound(const CSound& sound, PlayMode mode);
    bool playBlock(const LoadResult& loaded);
    /// Advances the bar every 100 ms while channel 1 plays; returns early on
    /// a stop request.
    void waitWhilePlaying();
    /// Polls channel 1 until it is silent; false on a stop request.
    bool waitUntilSilent();
    void advance();
    void report();
    void sendMessage(const std::string& text);
    void reportNoDevice();
    void sleep(std::chrono::milliseconds ms);
    bool stopping() const { return stopRequested_.load(); }
    void joinWorker();

    Player& player_;
    PlaybackEvents events_;
    PlaybackOptions options_;

    std::atomic<int> idleTicks_{0};
    std::atomic<bool> stopRequested_{false};
    std::atomic<bool> playlistDone_{false};
    std::atomic<bool> workerRunning_{false};
    std::atomic<bool> noDeviceReported_{false};
    /// tick() has already asked for the commands after the last playlist.
    bool commandsRestored_ = true;
    std::thread worker_;

    // The bar as the worker drives it; only the worker touches these while
    // it runs.
    int position_ = 0;
    int upper_ = 0;
    bool loadFailureReported_ = false;
};

}  // namespace zadaravod
