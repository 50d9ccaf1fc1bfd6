#pragma once

#include <functional>
#include <initializer_list>
#include <map>
#include <vector>

namespace zadaravod {

/// What the main window shows again after a command, as bits; the window
/// applies them in the order listed.
enum Refresh : unsigned {
    kRefreshNothing = 0,
    kRefreshLibrary = 1u << 0,       ///< the library view (the music view's enabling, the gauge)
    kRefreshPlaylist = 1u << 1,      ///< the playlist view (the gauge; the last image goes stale)
    kRefreshMusic = 1u << 2,         ///< the background music view
    kRefreshGauge = 1u << 3,         ///< the status bar's total length and flash use
    kRefreshCommandState = 1u << 4,  ///< the command-state refresh with a project
};
/// A set of Refresh bits.
using Refreshes = unsigned;

/// The main window's commands by id: the handler that does each command's
/// work and what the window shows again afterwards. Twins (a menu item and
/// its toolbar button) share a row. The table refreshes nothing itself:
/// run() hands the refreshes due to the caller, which applies them in one
/// place.
class CommandTable {
  public:
    /// Does a conditional command's work; true when it changed what its
    /// `whenChanged` refreshes show.
    using Handler = std::function<bool()>;

    /// Adds a row for each of `ids`: `handler` runs, then `refreshes` are
    /// due. An id that has a row already, or is given twice, is a
    /// programming error: throws std::logic_error and adds nothing.
    void add(std::initializer_list<int> ids, Refreshes refreshes, std::function<void()> handler);
    /// As add(), for a command that may change nothing (a refused
    /// confirmation): `refreshes` are due after every run, `whenChanged`
    /// only after a run whose handler returned true.
    void addConditional(std::initializer_list<int> ids, Refreshes refreshes, Refreshes whenChanged,
                        Handler handler);

    bool contains(int id) const { return rows_.count(id) != 0; }
    /// Every id with a row, ascending.
    std::vector<int> ids() const;
    /// The refreshes due after a run of `id` whose handler did or did not
    /// change something (0 for an id without a row).
    Refreshes refreshesOf(int id, bool changed) const;

    /// Runs command `id`: its handler, then `apply` once with the refreshes
    /// due (not at all when none are). False when `id` has no row.
    bool run(int id, const std::function<void(Refreshes)>& apply) const;

  private:
    struct Row {
        Handler handler;
        Refreshes refreshes = kRefreshNothing;
        Refreshes whenChanged = kRefreshNothing;
    };
    void addRow(std::initializer_list<int> ids, const Row& row);

    std::map<int, Row> rows_;
};

}  // namespace zadaravod
