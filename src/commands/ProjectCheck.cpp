#include "commands/ProjectCheck.h"

#include <algorithm>
#include <filesystem>
#include <span>

#include "format/ImageFormat.h"
#include "format/ImageReader.h"
#include "io/AtomicFile.h"
#include "model/ImageContent.h"
#include "model/MemoryGauge.h"
#include "rules/EquationRules.h"
#include "rules/KeySetupRules.h"

namespace zadaravod {
namespace fs = std::filesystem;

const char* severityName(Severity severity) {
    switch (severity) {
        case Severity::Error:
            return "error";
        case Severity::Warning:
            return "warning";
        case Severity::Hint:
            return "hint";
    }
    return "warning";
}

namespace {

std::string listName(int list) { return "list " + listNumberText(list); }

std::string entryPlace(int list, int entry) {
    return listName(list) + ", entry " + std::to_string(entry + 1);
}

std::string soundPlace(int sound, const std::string& name) {
    return "sound " + std::to_string(sound + 1) + " (" + name + ")";
}

const CSoundList& listAt(const Project& project, int list) {
    return project.playlists[static_cast<std::size_t>(list)];
}

/// The key functions that play the key's list: every one from "Edge
/// retrigger" (1) to "level unloop" (10); "No Function", "Pause", the volume
/// keys and "Stop" play nothing.
bool playsList(int function) { return function >= 1 && function <= 10; }

/// Whether key `key` plays a list in `mode`: its list can be set in that mode
/// and its function (the one the mode forces, else its own) plays one.
bool keyPlaysList(const Project& project, int key) {
    const int mode = project.options.controlMode;
    if (!equationKeyEnabled(mode, key)) return false;
    const int forced = keySetupForcedEntry(mode, key);
    const int function =
        forced >= 0 ? forced : project.keys.keyFunction[static_cast<std::size_t>(key - 1)];
    return playsList(function);
}

class Checker {
  public:
    Checker(const Project& project, CheckPurpose purpose) : p_(project), purpose_(purpose) {}

    std::vector<Finding> run() {
        librarySounds();
        listEntries();
        listCount();
        keys();
        music();
        flashPrediction();
        unusedSounds();
        if (purpose_ != CheckPurpose::Build) builtImage();
        std::stable_sort(found_.begin(), found_.end(), [](const Finding& a, const Finding& b) {
            return static_cast<int>(a.severity) < static_cast<int>(b.severity);
        });
        return found_;
    }

  private:
    Finding& add(Severity severity, std::string kind, std::string place, std::string text,
                 std::string action) {
        Finding f;
        f.severity = severity;
        f.kind = std::move(kind);
        f.place = std::move(place);
        f.text = std::move(text);
        f.action = std::move(action);
        found_.push_back(std::move(f));
        return found_.back();
    }
    /// An error that stops a build; a download uses the image built before,
    /// so there it is only a warning.
    Severity buildError() const {
        return purpose_ == CheckPurpose::Download ? Severity::Warning : Severity::Error;
    }

    void librarySounds() {
        int n = 0;
        for (const CSound& s : p_.library) {
            if (n == kLibraryCapacity) break;
            const int sound = n++;
            const std::string place = soundPlace(sound, s.name);
            std::error_code ec;
            if (!fs::is_regular_file(s.filePath, ec)) {
                add(buildError(), "sound-file-missing", place,
                    "The file " + s.filePath + " is missing from the sound folder.",
                    "Copy the file back into the sound folder, or delete the sound and load it "
                    "again.")
                    .sound = sound;
            }
            if (!image::hasRateCode(s.sampleRate)) {
                add(buildError(), "rate-not-playable", place,
                    "The sound is recorded at " + std::to_string(s.sampleRate) +
                        " Hz, a rate the chip cannot play.",
                    "Convert it to one of 4000, 6000, ... 22000 Hz (steps of 2000), delete it "
                    "and load the converted file.")
                    .sound = sound;
            }
        }
    }

    void listEntries() {
        const LibraryIndex index(p_.library);
        const bool full = p_.library.count() >= static_cast<std::size_t>(kLibraryCapacity);
        for (int list = 0; list < kPlaylistCount; ++list) {
            const CSoundList& entries = listAt(p_, list);
            const int bytes = listImageBytes(entries);
            if (bytes > 255) {
                add(Severity::Error, "list-too-long", listName(list),
                    "The list's codes take " + std::to_string(bytes) +
                        " bytes; a list holds at most 255.",
                    "Delete entries, or join short silences into longer ones.")
                    .list = list;
            }
            int entry = 0;
            for (const CSound& e : entries) {
                const int at = entry++;
                if (!e.isSound() || index.find(e.filePath) >= 0) continue;
                Finding& f =
                    add(full ? buildError() : Severity::Warning, "entry-not-in-library",
                        entryPlace(list, at),
                        "The entry plays " + e.name +
                            ", which is not in the library; the chip would play the "
                            "silence of a spare sound in its place.",
                        "Delete the entry, or load " + e.name + " into the library again.");
                f.list = list;
                f.entry = at;
            }
        }
    }

    /// The image counts the lists up to the first empty one; lists after it
    /// are never played.
    void listCount() {
        int firstEmpty = -1;
        for (int list = 0; list < kPlaylistCount; ++list) {
            if (listAt(p_, list).empty()) {
                firstEmpty = list;
                break;
            }
        }
        if (firstEmpty < 0) return;
        std::vector<int> cutOff;
        for (int list = firstEmpty + 1; list < kPlaylistCount; ++list) {
            if (!listAt(p_, list).empty()) cutOff.push_back(list);
        }
        firstEmpty_ = firstEmpty;
        if (cutOff.empty()) return;
        std::string names;
        for (std::size_t i = 0; i < cutOff.size() && i < 5; ++i) {
            names += (i ? ", " : "") + listNumberText(cutOff[i]);
        }
        if (cutOff.size() > 5) names += ", ...";
        add(Severity::Warning, "empty-list-ends-count", listName(firstEmpty),
            "The list is empty, so the image counts only the lists before it: " +
                std::to_string(cutOff.size()) + (cutOff.size() == 1 ? " list" : " lists") +
                " after it (" + names + ") will not play.",
            "Put an entry into " + listName(firstEmpty) + ", or move the later lists up.")
            .list = firstEmpty;
    }

    void keys() {
        for (int key = 1; key <= kKeyCount; ++key) {
            if (!keyPlaysList(p_, key)) continue;
            const int list = p_.equation.listOfKey[static_cast<std::size_t>(key - 1)];
            const std::string place = "key " + std::to_string(key);
            if (list < 0 || list >= kPlaylistCount) {
                add(Severity::Error, "key-list-invalid", place,
                    "The key plays list number " + std::to_string(list) +
                        ", which does not exist (lists are 0 to 219).",
                    "Give the key a list in \"Настройки выравнивания\".")
                    .key = key;
            } else if (listAt(p_, list).empty()) {
                Finding& f = add(Severity::Warning, "key-list-empty", place,
                                 "The key plays " + listName(list) + ", which is empty.",
                                 "Fill " + listName(list) +
                                     ", or give the key another list in \"Настройки "
                                     "выравнивания\".");
                f.key = key;
                f.list = list;
            } else if (firstEmpty_ >= 0 && list > firstEmpty_) {
                Finding& f = add(Severity::Warning, "key-list-not-counted", place,
                                 "The key plays " + listName(list) +
                                     ", which comes after the "
                                     "empty " +
                                     listName(firstEmpty_) + " and is not counted by the image.",
                                 "Put an entry into " + listName(firstEmpty_) +
                                     ", or give the key a list before it.");
                f.key = key;
                f.list = list;
            }
        }
    }

    void music() {
        const int mode = p_.options.controlMode;
        const bool loaded = !p_.backgroundMusic.empty();
        if (!modeHasBackgroundMusic(mode)) {
            if (loaded || p_.options.backgroundMusic != 0) {
                add(Severity::Warning, "music-in-wrong-mode", "background music",
                    std::string("Background music is ") + (loaded ? "loaded" : "switched on") +
                        ", but the control mode " +
                        (controlModeCaption(mode) ? controlModeCaption(mode)
                                                  : std::to_string(mode).c_str()) +
                        " cannot play it.",
                    "Choose the one-line or three-line mode in the options, or clear the "
                    "background music.");
            }
            return;
        }
        if (p_.options.backgroundMusic != 0 && !loaded) {
            add(Severity::Warning, "music-flag-without-music", "background music",
                "Background music is switched on in the options, but none is loaded.",
                "Load the background music, or switch it off in the options.");
        } else if (loaded && p_.options.backgroundMusic == 0) {
            add(Severity::Hint, "music-switched-off", "background music",
                "Background music is loaded, but switched off in the options.",
                "Switch it on in the options if the device should play it.");
        }
    }

    void flashPrediction() {
        const MemoryGauge gauge = computeMemoryGauge(p_.library, p_.flashSize.sizeIndex);
        if (gauge.percent <= 100) return;
        char percent[32];
        std::snprintf(percent, sizeof percent, "%.0f", gauge.percent);
        add(Severity::Warning, "flash-too-small", "flash",
            std::string("The image is expected to take ") + percent + " % of the " +
                flashSizeCaption(p_.flashSize.sizeIndex) + " flash, so it will not fit.",
            "Choose a larger flash, or make the library smaller (shorter sounds, lower rates).");
    }

    void unusedSounds() {
        const LibraryIndex index(p_.library);
        std::vector<bool> used(p_.library.count(), false);
        for (const CSoundList& list : p_.playlists) {
            for (const CSound& e : list) {
                const int at = e.isSound() ? index.find(e.filePath) : -1;
                if (at >= 0) used[static_cast<std::size_t>(at)] = true;
            }
        }
        int sound = 0;
        for (const CSound& s : p_.library) {
            if (sound == kLibraryCapacity) break;
            if (!used[static_cast<std::size_t>(sound)]) {
                add(Severity::Hint, "sound-unused", soundPlace(sound, s.name),
                    "No list plays the sound, yet it takes room in the flash.",
                    "Put it into a list, or delete it to save room.")
                    .sound = sound;
            }
            ++sound;
        }
    }

    /// The image as built: there, of a size the chosen flash holds, and
    /// holding the project as it stands.
    void builtImage() {
        const std::string path = p_.imagePath();
        if (path.empty()) return;
        std::error_code ec;
        if (!fs::is_regular_file(path, ec)) {
            if (purpose_ == CheckPurpose::Download) {
                add(Severity::Warning, "image-missing", "image",
                    "The image " + path + " has not been built.",
                    "Build the image first (the download utility can still open another).");
            }
            return;
        }
        const auto size = fs::file_size(path, ec);
        const auto capacity =
            static_cast<std::uintmax_t>(flashCapacityBits(p_.flashSize.sizeIndex) / 8);
        if (!ec && capacity > 0 && size > capacity) {
            add(purpose_ == CheckPurpose::Download ? Severity::Error : Severity::Warning,
                "image-too-large", "image",
                "The image holds " + std::to_string(size) + " bytes; the " +
                    flashSizeCaption(p_.flashSize.sizeIndex) + " flash holds " +
                    std::to_string(capacity) + ".",
                "Choose a larger flash and build again, or make the library smaller.");
        }
        if (ec || size > kLargestFlashBytes * 2) return;
        std::string bytes, error;
        if (!readWholeFile(path, bytes, error, kLargestFlashBytes * 2)) return;
        image::ImageReading reading;
        const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data());
        if (!image::readImage(std::span(data, bytes.size()), reading) || !sameAsProject(reading)) {
            add(Severity::Warning, "image-stale", "image",
                "The image " + path + " does not hold the project as it stands now.",
                "Build the image again.");
        }
    }

    bool sameAsProject(const image::ImageReading& reading) const {
        const image::ImageContent content = imageContentOf(p_);
        const image::ImageSettings& s = content.settings;
        if (reading.controlMode != s.controlMode || reading.audioOutput != s.audioOutput ||
            reading.busyLevel != s.busyLevel || reading.pullUp != s.pullUp ||
            reading.flashSizeIndex != s.flashSizeIndex ||
            reading.listCountByte != content.listCountByte ||
            reading.libraryCount != static_cast<int>(content.soundRates.size())) {
            return false;
        }
        for (std::size_t i = 0; i < content.soundRates.size(); ++i) {
            if (reading.sounds[i].sampleRate != content.soundRates[i]) return false;
        }
        for (std::size_t j = 0; j < content.lists.size(); ++j) {
            if (asCoded(reading.playlists[j]) != asCoded(content.lists[j])) return false;
        }
        return true;
    }

    /// A list as its codes play it: silences by the length their codes give,
    /// one after another joined, empty ones gone.
    static std::vector<image::PlaylistItem> asCoded(const std::vector<image::PlaylistItem>& items) {
        std::vector<image::PlaylistItem> out;
        for (const image::PlaylistItem& item : items) {
            if (item.isSound) {
                out.push_back(item);
                continue;
            }
            std::int32_t ms = 0;
            for (const image::SilenceCode code : image::silenceCodes(item.silenceMs)) {
                ms += image::silenceCodeMs(code);
            }
            if (ms == 0) continue;
            if (!out.empty() && !out.back().isSound) {
                out.back().silenceMs += ms;
            } else {
                out.push_back({false, 0, ms});
            }
        }
        return out;
    }

    const Project& p_;
    CheckPurpose purpose_;
    int firstEmpty_ = -1;
    std::vector<Finding> found_;
};

}  // namespace

std::vector<Finding> checkProject(const Project& project, CheckPurpose purpose) {
    return Checker(project, purpose).run();
}

bool hasErrors(const std::vector<Finding>& findings) {
    return countOf(findings, Severity::Error) > 0;
}

int countOf(const std::vector<Finding>& findings, Severity severity) {
    return static_cast<int>(std::count_if(findings.begin(), findings.end(), [&](const Finding& f) {
        return f.severity == severity;
    }));
}

std::string findingsSummary(const std::vector<Finding>& findings) {
    if (findings.empty()) return "No problems found.";
    auto part = [&](Severity s, const char* one, const char* many) {
        const int n = countOf(findings, s);
        return (n == 0 ? std::string("no ") + many
                       : std::to_string(n) + " " + (n == 1 ? one : many));
    };
    return part(Severity::Error, "error", "errors") + ", " +
           part(Severity::Warning, "warning", "warnings") + ", " +
           part(Severity::Hint, "hint", "hints");
}

std::string findingLine(const Finding& finding) {
    return std::string(severityName(finding.severity)) + ": " + finding.place + ": " +
           finding.text + " " + finding.action;
}

bool UserInterface::reviewFindings(const std::vector<Finding>& findings, FindingsReview review) {
    std::string text = findingsSummary(findings) + "\n";
    for (const Finding& f : findings) text += "\n" + findingLine(f);
    switch (review) {
        case FindingsReview::ShowOnly:
            message(text, kAppCaption, MessageIcon::Information);
            return false;
        case FindingsReview::Stops:
            message(text + "\n\nMend the errors, then try again.", kAppCaption, MessageIcon::Error);
            return false;
        case FindingsReview::MayContinue:
            return confirm(text + "\n\nGo on all the same?");
    }
    return false;
}

bool checkBeforeCommand(const Project& project, CheckPurpose purpose, UserInterface& ui) {
    const std::vector<Finding> findings = checkProject(project, purpose);
    if (hasErrors(findings)) {
        ui.reviewFindings(findings, FindingsReview::Stops);
        return false;
    }
    if (countOf(findings, Severity::Warning) == 0) return true;
    return ui.reviewFindings(findings, FindingsReview::MayContinue);
}

void showProjectCheck(const Project& project, UserInterface& ui) {
    const std::vector<Finding> findings = checkProject(project);
    if (findings.empty()) {
        ui.message(findingsSummary(findings), kAppCaption, MessageIcon::Information);
        return;
    }
    ui.reviewFindings(findings, FindingsReview::ShowOnly);
}

}  // namespace zadaravod
