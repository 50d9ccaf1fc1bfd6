#include "commands/PromptTools.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "audio/AudioLayer.h"
#include "commands/EditHistory.h"
#include "commands/Library.h"
#include "commands/SoundFiles.h"
#include "format/WavFile.h"
#include "io/AtomicFile.h"
#include "io/ScratchFolder.h"
#include "model/SamplingRates.h"

namespace zadaravod {
namespace fs = std::filesystem;

std::string trimSavingsText(std::uint64_t bytes) {
    return "Trimming saved " + std::to_string(bytes) + (bytes == 1 ? " byte" : " bytes") +
           " of flash.";
}

std::string treatSamples(std::vector<std::int16_t>& samples, int rate,
                         const SoundTreatment& treatment, std::uint64_t& savedBytes) {
    std::vector<std::int16_t> work = samples;
    TrimResult trimmed;
    if (treatment.trim) {
        if (std::string e = trimSilence(work, rate, treatment.trimOptions, trimmed); !e.empty()) {
            return e;
        }
    }
    if (treatment.normalize) {
        LoudnessResult loudness;
        if (std::string e = normalizeLoudness(work, rate, treatment.loudnessOptions, loudness);
            !e.empty()) {
            return e;
        }
    }
    samples = std::move(work);
    savedBytes += trimmed.savedBytes;
    return {};
}

// --- the stage ------------------------------------------------------------------

TreatmentStage::TreatmentStage(SoundTreatment treatment) : treatment_(std::move(treatment)) {}

TreatmentStage::~TreatmentStage() = default;

Result<fs::path> TreatmentStage::stagedPath(const std::string& name) {
    if (const std::string why = unusableName(name); !why.empty()) return failure(why);
    if (!scratch_) scratch_ = std::make_unique<ScratchFolder>();
    if (scratch_->path().empty()) {
        return failure("Cannot make a scratch folder to treat " + name +
                       " in. Check that the temporary folder (TMPDIR) exists and has room.");
    }
    const fs::path staged = scratch_->path() / name;
    std::error_code ec;
    fs::remove(staged, ec);  // left by an earlier file of this stage
    return staged;
}

Result<std::string> TreatmentStage::treat(const fs::path& staged, const std::string& name) {
    SoundProcessing processing;
    processing.trim = treatment_.trim;
    processing.normalize = treatment_.normalize;
    processing.trimOptions = treatment_.trimOptions;
    processing.loudnessOptions = treatment_.loudnessOptions;
    SoundProcessingResult result = processWavFile(staged, processing);
    if (!result.ok) {
        // The engine names the file it was given: the scratch copy, which
        // means nothing to the user; the sound's name does.
        std::string reason = result.error;
        const std::string prefix = staged.string() + ": ";
        if (reason.rfind(prefix, 0) == 0) reason = reason.substr(prefix.size());
        std::error_code ec;
        fs::remove(staged, ec);
        return failure(name + " cannot be treated: " + reason + ".");
    }
    savedBytes_ += result.trim.savedBytes;
    ++treated_;
    last_ = std::move(result);
    return staged.string();
}

Result<std::string> TreatmentStage::copy(const std::string& source, const std::string& name) {
    const Result<fs::path> staged = stagedPath(name);
    if (!staged) return staged.error();
    std::error_code ec;
    // Bounded before the copy, by what the treatment reads at all.
    const auto size = fs::file_size(source, ec);
    if (!ec && size > kMaxProcessedWavBytes) {
        return failure(name + " cannot be treated: it is larger than " +
                       std::to_string(kMaxProcessedWavBytes >> 20) + " MiB.");
    }
    if (!fs::copy_file(source, staged.value(), fs::copy_options::overwrite_existing, ec)) {
        return failure("Cannot copy " + source + " to treat it: " + ec.message() + ".");
    }
    return treat(staged.value(), name);
}

Result<std::string> TreatmentStage::convert(const std::string& source, const std::string& name,
                                            int rate) {
    const Result<fs::path> staged = stagedPath(name);
    if (!staged) return staged.error();
    const ConversionResult converted = convertToMonoWav(source, staged.value().string(), rate);
    if (!converted.ok) return failure(converted.error);
    return treat(staged.value(), name);
}

void TreatmentStage::tellSavings(Messenger* messenger) const {
    if (messenger != nullptr && treatment_.trim && treated_ > 0) {
        messenger->status(trimSavingsText(savedBytes_));
    }
}

// --- process a library sound -------------------------------------------------------------

namespace {

/// Writes `bytes` into the temporary file of `pending`, flushed to the disk,
/// with the permission bits of the file it will replace; "" or the reason.
std::string fillPending(const PendingFile& pending, const std::string& bytes,
                        fs::perms permissions) {
    if (!pending.error().empty()) return pending.error();
    const fs::path& temporary = pending.temporaryPath();
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC | O_NOFOLLOW);
    bool ok = fd >= 0;
    int err = ok ? 0 : errno;
    for (std::size_t done = 0; ok && done < bytes.size();) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            err = errno;
            ok = false;
        } else {
            done += static_cast<std::size_t>(n);
        }
    }
    if (ok && ::fsync(fd) != 0 && errno != EINVAL) {
        err = errno;
        ok = false;
    }
    if (fd >= 0 && ::close(fd) != 0 && ok) {
        err = errno;
        ok = false;
    }
    if (!ok) return "Cannot write " + temporary.string() + ": " + std::strerror(err);
    std::error_code ec;
    fs::permissions(temporary, permissions, fs::perm_options::replace, ec);
    return {};
}

/// Done when the sound folder holds `path` as a regular file (not a link).
Done checkSoundFile(const std::string& path, const std::string& name) {
    std::error_code ec;
    const auto status = fs::symlink_status(path, ec);
    if (!fs::exists(status)) {
        return failure("The file of " + name + " is missing from the sound folder (" + path +
                       "). Put it back or load the sound again.");
    }
    if (fs::is_symlink(status) || !fs::is_regular_file(status)) {
        return failure(path + " is not a plain file, so it is not changed. Load the sound again " +
                       "to keep a copy of its own in the sound folder.");
    }
    return {};
}

}  // namespace

Result<ProcessReport> processLibrarySound(Project& project, Messenger& messenger, int index,
                                          const SoundTreatment& treatment) {
    if (!project.projectOpen || project.soundFolder.empty()) return failure("No project is open.");
    if (index < 0 || static_cast<std::size_t>(index) >= project.library.count()) {
        return failure("There is no sound " + std::to_string(index + 1) + " in the library.");
    }
    if (!treatment.any()) {
        return failure(
            "Choose what to do with the sound: trim its silence, even out its "
            "loudness, or both.");
    }
    if (Done folder = checkSoundFolder(project); !folder) return folder.error();
    const auto n = static_cast<std::size_t>(index);
    const CSound old = project.library.at(n);
    const std::string target = soundPath(project.soundFolder, old.name);
    if (Done file = checkSoundFile(target, old.name); !file) return file.error();

    TreatmentStage stage(treatment);
    const Result<std::string> staged = stage.copy(target, old.name);
    if (!staged) return staged.error();
    std::string bytes, error;
    if (!readWholeFile(staged.value(), bytes, error, kMaxProcessedWavBytes)) {
        return failure(error);
    }

    // The new content is complete on disk beside the old file before the old
    // one is moved into the undo folder; the new one then takes its name.
    std::error_code ec;
    const fs::perms permissions = fs::symlink_status(target, ec).permissions();
    PendingFile pending(target);
    if (const std::string why = fillPending(pending, bytes, permissions); !why.empty()) {
        return failure(why);
    }
    const Result<std::string> retired = retireSoundFile(project, old.name);
    if (!retired) return retired.error();
    if (const std::string why = pending.commit(); !why.empty()) {
        // The old file goes back where it was (the undo folder keeps it otherwise).
        if (!retired.value().empty()) {
            fs::rename(holdingFolderOf(project) + "/" + retired.value(), target, ec);
        }
        return failure(why + (ec ? " The old file is kept in " + holdingFolderOf(project) + "."
                                 : std::string(" The sound is unchanged.")));
    }

    // Name and path stay, so the playlists still play it; the figures are
    // the new file's.
    CSound& record = project.library.at(n);
    const CSound fresh = makeSoundRecord(target, old.name);
    record.sampleRate = fresh.sampleRate;
    record.bitsPerSample = fresh.bitsPerSample;
    record.stereo = fresh.stereo;
    record.durationMs = fresh.durationMs;
    record.infoExtra = fresh.infoExtra;

    stage.tellSavings(&messenger);
    ProcessReport report;
    report.name = old.name;
    report.durationBeforeMs = old.durationMs;
    report.durationAfterMs = record.durationMs;
    report.savedBytes = stage.savedBytes();
    report.details = stage.last();
    return report;
}

// --- speech --------------------------------------------------------------------

std::vector<int> libraryImportRates() {
    std::vector<int> rates;
    for (int r : kSupportedRates) {
        if (isPlainImportRate(r)) rates.push_back(r);
    }
    return rates;
}

std::set<std::string> takenSoundNames(const Project& project) {
    std::set<std::string> taken;
    for (const CSound& s : project.library) taken.insert(s.name);
    for (const CSound& s : project.backgroundMusic) taken.insert(s.name);
    std::error_code ec;
    if (!project.soundFolder.empty()) {
        for (fs::directory_iterator it(project.soundFolder, ec), end; !ec && it != end;
             it.increment(ec)) {
            taken.insert(it->path().filename().string());
        }
    }
    return taken;
}

namespace {

std::string lowerAscii(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return text;
}

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

}  // namespace

std::string spokenFileName(const std::string& typed) {
    std::size_t begin = 0, end = typed.size();
    while (begin < end && isBlank(typed[begin])) ++begin;
    while (end > begin && isBlank(typed[end - 1])) --end;
    std::string name = typed.substr(begin, end - begin);
    if (name.empty()) return name;
    constexpr std::string_view kWav = ".wav";
    if (name.size() > kWav.size() && lowerAscii(name.substr(name.size() - kWav.size())) == kWav) {
        name.replace(name.size() - kWav.size(), kWav.size(), kWav);
        return name;
    }
    return name + std::string(kWav);
}

SpokenNameCheck checkSpokenName(const std::string& name, const std::set<std::string>& taken) {
    if (name.empty()) return SpokenNameCheck::Empty;
    if (!unusableName(name).empty() || name.size() > 255) return SpokenNameCheck::Unusable;
    const std::string lower = lowerAscii(name);
    for (const std::string& t : taken) {
        if (lowerAscii(t) == lower) return SpokenNameCheck::Taken;
    }
    return SpokenNameCheck::Usable;
}

std::string spokenNameProblem(const std::string& name, const std::set<std::string>& taken) {
    switch (checkSpokenName(name, taken)) {
        case SpokenNameCheck::Usable:
            return {};
        case SpokenNameCheck::Empty:
            return "Give the sound a file name.";
        case SpokenNameCheck::Unusable:
            if (std::string why = unusableName(name); !why.empty()) return why;
            return "The file name is longer than 255 bytes; shorten it.";
        case SpokenNameCheck::Taken:
            break;
    }
    return "\"" + name + "\" is taken by another sound of the project; choose another name.";
}

Result<SpokenSamples> speakText(const SpeechRequest& request, const SoundTreatment& treatment) {
    SpeechResult spoken = synthesizeSpeech(request);
    if (!spoken.ok) return failure("The text cannot be spoken: " + spoken.error);
    SpokenSamples out;
    out.sampleRate = spoken.sampleRate;
    out.samples = std::move(spoken.samples);
    if (treatment.any()) {
        if (std::string e = treatSamples(out.samples, out.sampleRate, treatment, out.savedBytes);
            !e.empty()) {
            return failure("The spoken text cannot be treated: " + e + ".");
        }
    }
    return out;
}

Result<std::string> speakIntoLibrary(Project& project, Messenger& messenger,
                                     const SpeechRequest& request, const std::string& name,
                                     const SoundTreatment& treatment) {
    // The import's own checks first, so a full library costs no synthesis.
    if (Done ready = checkLibraryImport(project); !ready) return ready.error();
    const std::string chosen = name.empty()
                                   ? suggestSpeechFileName(request.text, takenSoundNames(project))
                                   : spokenFileName(name);
    if (const std::string why = unusableName(chosen); !why.empty()) return failure(why);

    const Result<SpokenSamples> spoken = speakText(request, treatment);
    if (!spoken) return spoken.error();
    ScratchFolder scratch;
    if (scratch.path().empty()) {
        return failure(
            "Cannot make a scratch folder for the speech. Check that the temporary "
            "folder (TMPDIR) exists and has room.");
    }
    const fs::path file = scratch.path() / chosen;
    if (const std::string e =
            writeWav16(file, spoken.value().samples, spoken.value().sampleRate, 1);
        !e.empty()) {
        return failure("The speech cannot be written: " + e);
    }
    const Result<ImportReport> report = importSounds(project, messenger, {file.string()});
    if (!report) return report.error();
    if (report.value().added == 0) return Message{};  // the import told why
    if (treatment.trim) messenger.status(trimSavingsText(spoken.value().savedBytes));
    return chosen;
}

Result<std::int64_t> speakIntoFile(Messenger& messenger, const SpeechRequest& request,
                                   const std::string& output, const SoundTreatment& treatment) {
    std::error_code ec;
    if (fs::is_directory(output, ec)) {
        return failure(output + " is a folder; give the name of the WAV file to write.");
    }
    const Result<SpokenSamples> spoken = speakText(request, treatment);
    if (!spoken) return spoken.error();
    const SpokenSamples& s = spoken.value();
    if (const std::string e = writeWav16(output, s.samples, s.sampleRate, 1); !e.empty()) {
        return failure("The speech cannot be written: " + e);
    }
    if (treatment.trim) messenger.status(trimSavingsText(s.savedBytes));
    return static_cast<std::int64_t>(s.samples.size()) * 1000 / s.sampleRate;
}

}  // namespace zadaravod
