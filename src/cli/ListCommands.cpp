// list <project> <n> add|delete|move|clear, clear-lists: the playlist edits of
// the editor, through the same flows, with the answers taken from the
// arguments. A command that refuses leaves the project file as it was.
#include <CLI/CLI.hpp>

#include <algorithm>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "app/PlaylistEditor.h"
#include "audio/Silence.h"
#include "cli/Cli.h"

namespace zadaravod::cli {

namespace {

/// One item of `list ... add`: a library sound (1-based) or a silence.
struct ListItem {
    bool silence = false;
    int value = 0;  ///< the sound's 1-based number, or the silence in ms
};

/// Reads a run of decimal digits that stays within the int range.
std::optional<int> parseCount(const std::string& text) {
    if (text.empty() || text.size() > 9) return std::nullopt;
    int value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

std::optional<ListItem> parseItem(const std::string& text) {
    if (text.size() > 2 && text.compare(text.size() - 2, 2, "ms") == 0) {
        const auto ms = parseCount(text.substr(0, text.size() - 2));
        if (!ms) return std::nullopt;
        return ListItem{true, *ms};
    }
    const auto number = parseCount(text);
    if (!number) return std::nullopt;
    return ListItem{false, *number};
}

/// The silence dialog can only give 10..2550 ms in steps of 10 or whole
/// seconds 1..10; the command takes the same lengths, with the dialog's
/// messages. Returns "" when `ms` is one of them.
std::string silenceLengthError(int ms) {
    SilenceOutcome outcome;
    if (ms >= 1000 && ms % 1000 == 0) {
        outcome = acceptSilence(std::to_string(ms / 1000), kUnitSeconds, 0);
    } else if (ms % 10 == 0) {
        outcome = acceptSilence(std::to_string(ms / 10), kUnitTensOfMs, 0);
    } else {
        return "A silence is 10 to 2550 ms in steps of 10 ms, or 1 to 10 whole seconds: " +
               std::to_string(ms) + "ms";
    }
    return outcome.closes ? std::string() : outcome.message;
}

struct ListArguments {
    std::string project;
    std::string list;
    std::vector<std::string> items;
    int before = 0;  ///< 1-based; 0 when not given
    int position = 0;
    int from = 0;
    int to = 0;
    std::string clearAllProject;
};

ListArguments args;

/// Opens the project and selects the list; false (exit status set) on failure.
bool openList(Context& ctx, Project& project, int& listNumber) {
    listNumber = parseListNumber(args.list);
    if (listNumber < 0) {
        std::cerr << "No list " << args.list << ": a list number is 0..219, in decimal or as "
                  << "the editor shows it (0aH)." << '\n';
        ctx.exitCode = kExitUsage;
        return false;
    }
    return ctx.openProject(args.project, project);
}

/// A 1-based entry position of `list`; refuses (and returns nullopt) when it
/// names no entry.
std::optional<int> entryIndex(Context& ctx, const CSoundList& list, int listNumber, int position,
                              const char* what) {
    if (position < 1 || static_cast<std::size_t>(position) > list.count()) {
        ctx.refuse(std::string("No entry ") + std::to_string(position) + " " + what + " in list " +
                   listNumberText(listNumber) + " (it holds " + std::to_string(list.count()) +
                   " entries).");
        return std::nullopt;
    }
    return position - 1;
}

void report(const PlaylistEditor& editor, const Project& project) {
    const CSoundList& list = project.playlists[static_cast<std::size_t>(editor.currentList())];
    std::cout << "List " << listNumberText(editor.currentList()) << ": " << list.count()
              << " entries, " << editor.currentListBytes() << " of "
              << PlaylistEditor::kListByteLimit << " bytes" << '\n';
}

void runAdd(Context& ctx) {
    std::vector<ListItem> items;
    for (const std::string& text : args.items) {
        const auto item = parseItem(text);
        if (!item) {
            std::cerr << "Not an item: " << text
                      << " (give a library sound's number, or a silence as <ms>ms)" << '\n';
            ctx.exitCode = kExitUsage;
            return;
        }
        items.push_back(*item);
    }
    Project project;
    int listNumber = 0;
    if (!openList(ctx, project, listNumber)) return;
    for (const ListItem& item : items) {
        if (item.silence) {
            const std::string error = silenceLengthError(item.value);
            if (!error.empty()) return ctx.refuse(error);
        } else if (item.value < 1 ||
                   static_cast<std::size_t>(item.value) > project.library.count()) {
            return ctx.refuse("No sound " + std::to_string(item.value) +
                              " in the library (it holds " +
                              std::to_string(project.library.count()) + " sounds).");
        }
    }
    std::optional<int> selected;
    if (args.before != 0) {
        const auto index = entryIndex(ctx, project.playlists[static_cast<std::size_t>(listNumber)],
                                      listNumber, args.before, "to insert before");
        if (!index) return;
        selected = *index;
    }

    PlaylistEditor editor(project, ctx.ui);
    editor.setCurrentList(listNumber);
    for (const ListItem& item : items) {
        bool placed = false;
        if (!item.silence) {
            ctx.ui.librarySounds.push_back(item.value - 1);
            placed = editor.insertTrack(selected);
        } else if (std::any_of(kFixedSilences.begin(), kFixedSilences.end(),
                               [&](const FixedSilence& f) { return f.durationMs == item.value; })) {
            placed = editor.insertFixedSilence(item.value, selected);
        } else {
            ctx.ui.silences.push_back(item.value);
            placed = editor.insertFreeSilence(selected);
        }
        ctx.ui.librarySounds.clear();
        ctx.ui.silences.clear();
        // The editor has shown why; the file keeps what it had.
        if (!placed) {
            ctx.exitCode = kExitRefused;
            return;
        }
        // The next item goes after this one.
        if (selected) ++*selected;
    }
    if (!ctx.saveProject(project)) return;
    report(editor, project);
}

void runDelete(Context& ctx) {
    Project project;
    int listNumber = 0;
    if (!openList(ctx, project, listNumber)) return;
    const auto index = entryIndex(ctx, project.playlists[static_cast<std::size_t>(listNumber)],
                                  listNumber, args.position, "to delete");
    if (!index) return;
    PlaylistEditor editor(project, ctx.ui);
    editor.setCurrentList(listNumber);
    ctx.ui.confirmAnswers.push_back(1095);  // the command is its own confirmation
    if (!editor.deleteEntry(*index)) {
        ctx.exitCode = kExitRefused;
        return;
    }
    if (!ctx.saveProject(project)) return;
    report(editor, project);
}

void runMove(Context& ctx) {
    Project project;
    int listNumber = 0;
    if (!openList(ctx, project, listNumber)) return;
    const CSoundList& list = project.playlists[static_cast<std::size_t>(listNumber)];
    const auto from = entryIndex(ctx, list, listNumber, args.from, "to move");
    if (!from) return;
    const auto to = entryIndex(ctx, list, listNumber, args.to, "to move to");
    if (!to) return;
    PlaylistEditor editor(project, ctx.ui);
    editor.setCurrentList(listNumber);
    if (editor.moveEntry(*from, *to) && !ctx.saveProject(project)) return;
    report(editor, project);
}

void runClear(Context& ctx) {
    Project project;
    int listNumber = 0;
    if (!openList(ctx, project, listNumber)) return;
    PlaylistEditor editor(project, ctx.ui);
    editor.setCurrentList(listNumber);
    ctx.ui.confirmAnswers.push_back(1095);
    if (!editor.clearList()) {
        ctx.exitCode = kExitRefused;
        return;
    }
    ctx.saveProject(project);
}

void runClearAll(Context& ctx) {
    Project project;
    if (!ctx.openProject(args.clearAllProject, project)) return;
    PlaylistEditor editor(project, ctx.ui);
    ctx.ui.confirmAnswers.push_back(1095);
    if (!editor.clearAllLists()) {
        ctx.exitCode = kExitRefused;
        return;
    }
    if (!ctx.saveProject(project)) return;
    std::cout << "All " << kPlaylistCount << " lists are empty" << '\n';
}

}  // namespace

void addListCommands(CLI::App& app, Context& ctx) {
    auto* list = app.add_subcommand("list", "Edit playlist <n> of a project");
    list->add_option("project", args.project, "Project folder or project file")->required();
    list->add_option("n", args.list, "List number 0..219, decimal or as shown (0aH)")->required();
    list->require_subcommand(1);

    auto* add =
        list->add_subcommand("add", "Add items: <no> a library sound (1-based), <ms>ms a silence");
    add->add_option("item", args.items, "Library sound number or silence length")->required();
    add->add_option("--before", args.before, "Insert before entry <pos> (1-based)")
        ->check(CLI::PositiveNumber);
    add->callback([&ctx] { runAdd(ctx); });

    auto* del = list->add_subcommand("delete", "Delete entry <pos> (1-based)");
    del->add_option("pos", args.position, "Entry position")->required();
    del->callback([&ctx] { runDelete(ctx); });

    auto* move = list->add_subcommand("move", "Move entry <from> so that it stands at <to>");
    move->add_option("from", args.from, "Entry position")->required();
    move->add_option("to", args.to, "Position it takes")->required();
    move->callback([&ctx] { runMove(ctx); });

    auto* clear = list->add_subcommand("clear", "Remove every entry of the list");
    clear->callback([&ctx] { runClear(ctx); });

    auto* clearAll = app.add_subcommand("clear-lists", "Empty all 220 playlists");
    clearAll->add_option("project", args.clearAllProject, "Project folder or project file")
        ->required();
    clearAll->callback([&ctx] { runClearAll(ctx); });
}

}  // namespace zadaravod::cli
