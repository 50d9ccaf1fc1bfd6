// list <project> <n> add|delete|move|clear, clear-lists: the playlist edits of
// the editor, through the same flows, with the answers taken from the
// arguments. A command that refuses leaves the project file as it was.
#include <CLI/CLI.hpp>

#include <functional>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "cli/Cli.h"
#include "commands/Playlists.h"
#include "format/ImageFormat.h"
#include "rules/Silence.h"

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

/// The list number of the arguments; -1 (a usage error printed) when it is
/// not one.
int listNumber(Session& session) {
    const int n = parseListNumber(args.list);
    if (n < 0) {
        session.usage("No list " + args.list +
                      ": a list number is 0..219, in decimal or as the editor shows it (0aH).");
    }
    return n;
}

/// A 1-based entry position of `list`; the refusal when it names no entry.
Result<int> entryIndex(const CSoundList& list, int n, int position, const char* what) {
    if (position < 1 || static_cast<std::size_t>(position) > list.count()) {
        return failure(std::string("No entry ") + std::to_string(position) + " " + what +
                       " in list " + listNumberText(n) + " (it holds " +
                       std::to_string(list.count()) + " entries).");
    }
    return position - 1;
}

/// Runs `edit` on list n of the project; the project is saved only when it
/// succeeds, and the list's figures are printed then.
void editList(Session& session, int n, const std::function<Done(PlaylistEditor&, Project&)>& edit) {
    std::string report;
    session.edit(
        args.project,
        [&](Project& project) -> Done {
            PlaylistEditor editor(project, session.console);
            editor.setCurrentList(n);
            if (Done done = edit(editor, project); !done) return done;
            report = "List " + listNumberText(n) + ": " +
                     std::to_string(project.playlists[static_cast<std::size_t>(n)].count()) +
                     " entries, " + std::to_string(editor.currentListBytes()) + " of " +
                     std::to_string(PlaylistEditor::kListByteLimit) + " bytes";
            return {};
        },
        SaveWhen::Succeeded);
    if (session.exitCode == kExitOk) std::cout << report << '\n';
}

void runAdd(Session& session) {
    std::vector<ListItem> items;
    for (const std::string& text : args.items) {
        const auto item = parseItem(text);
        if (!item) {
            return session.usage("Not an item: " + text +
                                 " (give a library sound's number, or a silence as <ms>ms)");
        }
        // A length no silence can have is wrong whatever the project holds.
        if (item->silence) {
            if (const std::string error = silenceLengthError(item->value); !error.empty()) {
                return session.usage(error);
            }
        }
        items.push_back(*item);
    }
    const int n = listNumber(session);
    if (n < 0) return;
    editList(session, n, [&](PlaylistEditor& editor, Project& project) -> Done {
        for (const ListItem& item : items) {
            if (!item.silence && (item.value < 1 ||
                                  static_cast<std::size_t>(item.value) > project.library.count())) {
                return failure("No sound " + std::to_string(item.value) +
                               " in the library (it holds " +
                               std::to_string(project.library.count()) + " sounds).");
            }
        }
        std::optional<int> selected;
        if (args.before != 0) {
            const Result<int> index = entryIndex(project.playlists[static_cast<std::size_t>(n)], n,
                                                 args.before, "to insert before");
            if (!index) return index.error();
            selected = index.value();
        }
        for (const ListItem& item : items) {
            const Done placed = item.silence ? editor.insertSilence(item.value, selected)
                                             : editor.insertSound(item.value - 1, selected);
            // A refusal leaves the file as it was, earlier items included.
            if (!placed) return placed;
            // The next item goes after this one.
            if (selected) ++*selected;
        }
        return {};
    });
}

void runDelete(Session& session) {
    const int n = listNumber(session);
    if (n < 0) return;
    editList(session, n, [&](PlaylistEditor& editor, Project& project) -> Done {
        const Result<int> index = entryIndex(project.playlists[static_cast<std::size_t>(n)], n,
                                             args.position, "to delete");
        if (!index) return index.error();
        return editor.removeEntry(index.value());
    });
}

void runMove(Session& session) {
    const int n = listNumber(session);
    if (n < 0) return;
    editList(session, n, [&](PlaylistEditor& editor, Project& project) -> Done {
        const CSoundList& list = project.playlists[static_cast<std::size_t>(n)];
        const Result<int> from = entryIndex(list, n, args.from, "to move");
        if (!from) return from.error();
        const Result<int> to = entryIndex(list, n, args.to, "to move to");
        if (!to) return to.error();
        editor.moveEntry(from.value(), to.value());
        return {};
    });
}

void runClear(Session& session) {
    const int n = listNumber(session);
    if (n < 0) return;
    session.edit(args.project, [&](Project& project) {
        PlaylistEditor editor(project, session.console);
        editor.setCurrentList(n);
        return editor.clearCurrentList();
    });
}

void runClearAll(Session& session) {
    session.edit(args.clearAllProject, [&](Project& project) {
        return PlaylistEditor(project, session.console).clearEveryList();
    });
    if (session.exitCode == kExitOk) {
        std::cout << "All " << kPlaylistCount << " lists are empty" << '\n';
    }
}

}  // namespace

void addListCommands(CLI::App& app, Session& session) {
    auto* list = app.add_subcommand("list", "Edit playlist <n> of a project");
    list->add_option("project", args.project, "Project folder or project file")->required();
    list->add_option("n", args.list, "List number 0..219, decimal or as shown (0aH)")->required();
    list->require_subcommand(1);

    auto* add =
        list->add_subcommand("add", "Add items: <no> a library sound (1-based), <ms>ms a silence");
    add->add_option("item", args.items, "Library sound number or silence length")->required();
    add->add_option("--before", args.before, "Insert before entry <pos> (1-based)")
        ->check(numberFromOne());
    add->callback([&session] { runAdd(session); });

    auto* del = list->add_subcommand("delete", "Delete entry <pos> (1-based)");
    del->add_option("pos", args.position, "Entry position")->required()->check(numberFromOne());
    del->callback([&session] { runDelete(session); });

    auto* move = list->add_subcommand("move", "Move entry <from> so that it stands at <to>");
    move->add_option("from", args.from, "Entry position")->required()->check(numberFromOne());
    move->add_option("to", args.to, "Position it takes")->required()->check(numberFromOne());
    move->callback([&session] { runMove(session); });

    auto* clear = list->add_subcommand("clear", "Remove every entry of the list");
    clear->callback([&session] { runClear(session); });

    auto* clearAll = app.add_subcommand("clear-lists", "Empty all 220 playlists");
    clearAll->add_option("project", args.clearAllProject, "Project folder or project file")
        ->required();
    clearAll->callback([&session] { runClearAll(session); });
}

}  // namespace zadaravod::cli
