#include <CLI/CLI.hpp>

#include <charconv>
#include <concepts>
#include <cstdio>
#include <filesystem>
#include <iostream>

#include "cli/Cli.h"
#include "cli/Json.h"
#include "commands/ProjectCheck.h"
#include "commands/ProjectFiles.h"
#include "format/ImageFormat.h"
#include "model/MemoryGauge.h"

namespace zadaravod::cli {
namespace fs = std::filesystem;

namespace {

std::string format3(std::size_t n) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%.3zu", n);
    return buffer;
}

/// Text put together in memory and written at once: a project's listing has
/// tens of thousands of pieces, which a stream would format one by one.
class Listing {
  public:
    Listing& operator<<(const char* text) { return *this << std::string_view(text); }
    Listing& operator<<(const std::string& text) { return *this << std::string_view(text); }
    Listing& operator<<(std::string_view text) {
        text_.append(text);
        return *this;
    }
    Listing& operator<<(char c) {
        text_.push_back(c);
        return *this;
    }
    template <std::integral N>
    Listing& operator<<(N n) {
        char digits[24];
        const auto end = std::to_chars(digits, digits + sizeof digits, n).ptr;
        text_.append(digits, end);
        return *this;
    }
    /// Room for `bytes` without moving the text (pages not written to cost
    /// nothing).
    void reserve(std::size_t bytes) { text_.reserve(bytes); }
    void writeTo(std::ostream& out) const {
        out.write(text_.data(), static_cast<std::streamsize>(text_.size()));
    }

  private:
    std::string text_;
};

std::string keyFunctionText(int code) {
    const char* name = keyFunctionName(code);
    return name ? name : "(" + std::to_string(code) + ")";
}

void printSoundRow(Listing& out, std::size_t row, const CSound& s) {
    out << "  " << format3(row) << "  " << s.name << "  " << s.sampleRate << " Hz  "
        << s.bitsPerSample << " Bit  " << (s.stereo == 1 ? "STEREO" : "MONO") << "  "
        << s.durationMs << " ms\n";
}

/// The listing of the playlists, made as their entries are read.
struct PlaylistListing {
    Listing lines;
    int used = 0;
    int current = -1;

    PlaylistListing() { lines.reserve(std::size_t{1} << 20); }

    void add(int list, const CSound& s) {
        if (list != current) {
            if (current >= 0) lines << '\n';
            current = list;
            ++used;
            lines << "  " << listNumberText(list) << ":";
        }
        lines << ' ';
        if (s.kind != 0) {
            lines << std::string_view(s.name);
        } else {
            // A silence: its length in ms, or in whole seconds.
            if (s.durationMs < 1000 || s.durationMs % 1000 != 0) {
                lines << '[' << s.durationMs << " ms]";
            } else {
                lines << '[' << s.durationMs / 1000 << " s]";
            }
        }
    }
    void finish() {
        if (current >= 0) lines << '\n';
    }
};

/// Writes the listing of `p` to `out`; the playlists' part was made as the
/// file was read.
void printProject(std::ostream& stream, const Project& p, const PlaylistListing& playlists) {
    Listing out;
    const COptions& o = p.options;
    const char* caption = controlModeCaption(o.controlMode);
    out << "Project file:  " << p.projectFilePath << '\n'
        << "Control mode:  " << (caption ? caption : "unknown") << " (" << o.controlMode << ")\n"
        << "Audio output:  " << audioOutputName(o.audioOutput) << " ("
        << audioOutputCaption(o.audioOutput) << ")\n"
        << "Busy level:    " << busyLevelCaption(o.busyLevel) << '\n'
        << "Pull-up:       " << (o.pullUp ? "on" : "off") << '\n'
        << "Music flag:    " << (o.backgroundMusic ? "on" : "off") << '\n'
        << "Flash size:    " << flashSizeCaption(p.flashSize.sizeIndex) << '\n';
    const MemoryGauge gauge = computeMemoryGauge(p.library, p.flashSize.sizeIndex);
    out << "Memory:        " << gauge.usageText() << ", " << gauge.lengthText() << '\n';

    out << "\nKeys (function, list):\n";
    for (int k = 0; k < kKeyCount; ++k) {
        const auto i = static_cast<std::size_t>(k);
        char label[16];
        std::snprintf(label, sizeof label, "Кл. %d", k + 1);
        out << "  " << label << (k + 1 < 10 ? "   " : "  ")
            << keyFunctionText(p.keys.keyFunction[i]) << ", list " << p.equation.listOfKey[i]
            << '\n';
    }

    out << "\nLibrary (" << p.library.count() << " of " << kLibraryCapacity << " sounds):\n";
    std::size_t row = 1;
    for (const CSound& s : p.library) printSoundRow(out, row++, s);

    out << "\nPlaylists (" << playlists.used << " in use):\n";
    out.writeTo(stream);
    playlists.lines.writeTo(stream);

    Listing tail;
    tail << "\nBackground music:";
    if (p.backgroundMusic.empty()) tail << " none";
    tail << '\n';
    row = 1;
    for (const CSound& s : p.backgroundMusic) printSoundRow(tail, row++, s);
    tail.writeTo(stream);
}

}  // namespace

void addProjectCommands(CLI::App& app, Session& session) {
    auto* cmdNew = app.add_subcommand("new", "Create a project folder <dir>/<name>.winproj");
    static std::string newPath;
    cmdNew->add_option("path", newPath, "The project to create, <dir>/<name>.winproj")->required();
    cmdNew->callback([&session] {
        if (session.refuseStandardStream({{newPath, "the new project"}})) return;
        const std::string absolute = absolutePath(newPath);
        const std::string parent = folderOf(absolute);
        std::error_code ec;
        if (!fs::is_directory(parent, ec)) {
            return session.refuse("The folder " + parent + " does not exist; create it first.");
        }
        ProjectFiles files(session.console, session.paths);
        if (const Done created = files.newAt(absolute); !created) {
            return session.refuse(created.error());
        }
        std::cout << "Created " << files.project().projectFilePath << '\n';
    });

    auto* cmdInfo = app.add_subcommand("info", "Show a project's settings, library and playlists");
    static std::string infoProject;
    static bool infoJson = false;
    cmdInfo->add_option("project", infoProject, "Project folder or project file")->required();
    cmdInfo->add_flag("--json", infoJson, "Print one JSON document");
    cmdInfo->callback([&session] {
        if (infoJson) {
            const std::optional<Project> project = session.read(infoProject);
            if (project) std::cout << projectJson(*project).dump(2) << '\n';
            return;
        }
        // The listing is made as the file is read: a large project's 19 000
        // playlist entries are never kept.
        PlaylistListing playlists;
        const std::optional<Project> project = session.read(
            infoProject, [&playlists](int list, const CSound& s) { playlists.add(list, s); });
        if (!project) return;
        playlists.finish();
        printProject(std::cout, *project, playlists);
    });

    auto* cmdCheck = app.add_subcommand(
        "check", "Check a project for what would make the device behave unexpectedly");
    static std::string checkProjectPath;
    static bool checkJson = false;
    cmdCheck->add_option("project", checkProjectPath, "Project folder or project file")->required();
    cmdCheck->add_flag("--json", checkJson, "Print one JSON document");
    cmdCheck->footer(
        "Exit status 1 when an error is found (the build or the device would fail), 0 when "
        "there are only warnings and hints.");
    cmdCheck->callback([&session] {
        const std::optional<Project> project = session.read(checkProjectPath);
        if (!project) return;
        const std::vector<Finding> findings = checkProject(*project);
        if (checkJson) {
            std::cout << findingsJson(*project, findings).dump(2) << '\n';
        } else {
            for (const Finding& f : findings) std::cout << findingLine(f) << '\n';
            std::cout << findingsSummary(findings) << '\n';
        }
        if (hasErrors(findings)) session.exitCode = kExitRefused;
    });
}

}  // namespace zadaravod::cli
