#pragma once

// The prompt tools: trimming dead air and evening out loudness as sounds come
// into a project (or into a WAV file), the same for a sound already in the
// library, and text to speech into the library or into a WAV file.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "audio/Loudness.h"
#include "audio/Speech.h"
#include "commands/Result.h"
#include "commands/UserInterface.h"
#include "model/Project.h"

namespace zadaravod {

class ScratchFolder;

/// What is done to a sound on its way in: its leading and trailing silence
/// trimmed, its loudness brought to a target, or both. The default does
/// nothing, so a plain import stays a byte-for-byte copy of its file. A
/// treated sound is written as a 16-bit mono WAV at its own rate.
struct SoundTreatment {
    bool trim = false;
    bool normalize = false;
    TrimOptions trimOptions;
    LoudnessOptions loudnessOptions;

    bool any() const { return trim || normalize; }
};

/// The status line after a trim: "Trimming saved 1234 bytes of flash."
std::string trimSavingsText(std::uint64_t bytes);

/// Trims and/or normalises `samples` (mono, `rate` Hz) as `treatment` says
/// and adds the flash bytes the trim saved to `savedBytes`. Returns "" on
/// success; otherwise the reason (a sound of pure silence is refused, never
/// made empty), and `samples` is left unchanged.
std::string treatSamples(std::vector<std::int16_t>& samples, int rate,
                         const SoundTreatment& treatment, std::uint64_t& savedBytes);

/// Treats the files an import, a music load or a conversion brings in before
/// they reach their place: each one is copied (or converted) into a private
/// scratch folder under the name it will have, treated there, and only the
/// treated file goes on. So a sound folder never holds an untreated or a
/// half-written file, and a refused sound leaves nothing behind. The scratch
/// folder is made on first use and removed with the stage.
class TreatmentStage {
  public:
    explicit TreatmentStage(SoundTreatment treatment);
    ~TreatmentStage();
    TreatmentStage(const TreatmentStage&) = delete;
    TreatmentStage& operator=(const TreatmentStage&) = delete;

    /// True when the treatment does something; an inactive stage is never used.
    bool active() const { return treatment_.any(); }
    const SoundTreatment& treatment() const { return treatment_; }

    /// `source` copied as it is into the stage as `name` (a plain file name)
    /// and treated: the treated file's path, or why not (naming `name`).
    Result<std::string> copy(const std::string& source, const std::string& name);
    /// `source` converted into a 16-bit mono WAV at `rate` Hz in the stage as
    /// `name` and treated: the treated file's path, or why not.
    Result<std::string> convert(const std::string& source, const std::string& name, int rate);

    /// Flash bytes the trims of this stage saved so far.
    std::uint64_t savedBytes() const { return savedBytes_; }
    /// The result of the last file treated.
    const SoundProcessingResult& last() const { return last_; }
    /// Tells trimSavingsText() through `messenger` (when there is one) once a
    /// trim was asked for and at least one file was treated.
    void tellSavings(Messenger* messenger) const;

  private:
    Result<std::filesystem::path> stagedPath(const std::string& name);
    Result<std::string> treat(const std::filesystem::path& staged, const std::string& name);

    SoundTreatment treatment_;
    std::unique_ptr<ScratchFolder> scratch_;
    std::uint64_t savedBytes_ = 0;
    int treated_ = 0;
    SoundProcessingResult last_;
};

// --- Process ("Обработать…") ---------------------------------------------------

/// What processing a library sound did.
struct ProcessReport {
    std::string name;
    std::int32_t durationBeforeMs = 0;
    std::int32_t durationAfterMs = 0;
    std::uint64_t savedBytes = 0;   ///< flash bytes the trim saved
    SoundProcessingResult details;  ///< the trim and loudness figures
};

/// Trims and/or normalises library sound `index` (0-based) as `treatment`
/// says (at least one of the two). The new content is written in full beside
/// the old file first; the old file then goes into the undo folder
/// (retireSoundFile) and the new one takes its name, so undo brings the old
/// one back byte for byte. The record keeps its name and path (so the
/// playlists that play it stay as they are) and takes the new file's rate,
/// bits, channels, length and further figure. The flash bytes saved go to
/// `messenger.status`. Fails — with nothing changed — for a wrong index, no
/// treatment, a missing or unusual file (a link, a folder), a file that
/// cannot be read or is no PCM WAV, or a sound of pure silence.
Result<ProcessReport> processLibrarySound(Project& project, Messenger& messenger, int index,
                                          const SoundTreatment& treatment);

// --- Speech ------------------------------------------------------------------------

/// The rate speech is made at unless another one is chosen, in Hz.
inline constexpr int kDefaultSpokenRate = 8000;

/// The rates speech can be added to the library at: those at which the
/// import keeps a WAV file as it is (every supported rate but 4000 Hz).
std::vector<int> libraryImportRates();

/// Every name a new sound of the project must not take, as its file would
/// meet another: the library's and the background music's names and the
/// files of the sound folder.
std::set<std::string> takenSoundNames(const Project& project);

/// The WAV file name for a name the user typed: blanks around it go, and it
/// ends in ".wav" (an ending ".WAV" or ".Wav" becomes ".wav"; any other gets
/// ".wav" added). "" stays "".
std::string spokenFileName(const std::string& typed);

/// Whether a name (already passed through spokenFileName) can name a new
/// sound: not empty, a plain UTF-8 file name of at most 255 bytes, and not in
/// `taken` (compared without regard to ASCII letter case, as
/// suggestSpeechFileName does).
enum class SpokenNameCheck { Usable, Empty, Unusable, Taken };
SpokenNameCheck checkSpokenName(const std::string& name, const std::set<std::string>& taken);
/// The same as a message: "" when usable, else what is wrong and what to do.
std::string spokenNameProblem(const std::string& name, const std::set<std::string>& taken);

/// Speech as samples, treated.
struct SpokenSamples {
    std::vector<std::int16_t> samples;  ///< 16-bit mono
    int sampleRate = 0;
    std::uint64_t savedBytes = 0;  ///< what a trim saved
};

/// Synthesises `request` and applies `treatment`. Fails with the
/// synthesizer's reason or the treatment's (speech that is silence
/// throughout is refused when it would be trimmed to nothing).
Result<SpokenSamples> speakText(const SpeechRequest& request, const SoundTreatment& treatment = {});

/// Speak into the library: synthesises `request` into a private scratch WAV
/// file named `name` (passed through spokenFileName; empty takes
/// suggestSpeechFileName of the text), treats it, and brings it in through
/// importSounds, so the capacity, a name already used, the rate the import
/// refuses (4000 Hz) and the 510 limit give the import's own messages.
/// Returns the name added. A synthesis failure is returned and nothing is
/// added; a refusal the import told already comes back with an empty text.
Result<std::string> speakIntoLibrary(Project& project, Messenger& messenger,
                                     const SpeechRequest& request, const std::string& name,
                                     const SoundTreatment& treatment = {});

/// Speak into a WAV file without a project: `output` is written atomically
/// as a 16-bit mono WAV at the request's rate (a file there is replaced, a
/// link there is replaced rather than followed). Returns the length in ms.
Result<std::int64_t> speakIntoFile(Messenger& messenger, const SpeechRequest& request,
                                   const std::string& output, const SoundTreatment& treatment = {});

}  // namespace zadaravod
