#include "gui/CommandTable.h"

#include <algorithm>
#include <stdexcept>
#include <string>
#include <utility>

namespace zadaravod {

void CommandTable::add(std::initializer_list<int> ids, Refreshes refreshes,
                       std::function<void()> handler) {
    addRow(ids, Row{[handler = std::move(handler)] {
                        handler();
                        return false;
                    },
                    refreshes, kRefreshNothing});
}

void CommandTable::addConditional(std::initializer_list<int> ids, Refreshes refreshes,
                                  Refreshes whenChanged, Handler handler) {
    addRow(ids, Row{std::move(handler), refreshes, whenChanged});
}

void CommandTable::addRow(std::initializer_list<int> ids, const Row& row) {
    for (auto it = ids.begin(); it != ids.end(); ++it) {
        if (contains(*it) || std::find(ids.begin(), it, *it) != it) {
            throw std::logic_error("command " + std::to_string(*it) + " has a row already");
        }
    }
    for (int id : ids) rows_.emplace(id, row);
}

std::vector<int> CommandTable::ids() const {
    std::vector<int> out;
    out.reserve(rows_.size());
    for (const auto& entry : rows_) out.push_back(entry.first);
    return out;
}

Refreshes CommandTable::refreshesOf(int id, bool changed) const {
    const auto it = rows_.find(id);
    if (it == rows_.end()) return kRefreshNothing;
    return it->second.refreshes | (changed ? it->second.whenChanged : kRefreshNothing);
}

bool CommandTable::run(int id, const std::function<void(Refreshes)>& apply) const {
    const auto it = rows_.find(id);
    if (it == rows_.end()) return false;
    const Row& row = it->second;
    const bool changed = row.handler ? row.handler() : false;
    const Refreshes due = row.refreshes | (changed ? row.whenChanged : kRefreshNothing);
    if (due != kRefreshNothing && apply) apply(due);
    return true;
}

}  // namespace zadaravod
