// set <project> <key>=<value>...: the chip settings of the options, key
// function and key-to-playlist dialogs, with the same ranges. Every pair is
// checked before anything changes; one bad pair leaves the project untouched.
#include <CLI/CLI.hpp>

#include <algorithm>
#include <cctype>
#include <iostream>
#include <map>
#include <optional>

#include "cli/Cli.h"
#include "model/Settings.h"
#include "rules/OptionsRules.h"

namespace zadaravod::cli {

namespace {

/// A key function name in a form that is easy to type: case-insensitive,
/// blanks, underscores and hyphens between words ignored ("edge-retrigger",
/// "Edge retrigger"); a trailing "+" or "-" stays ("vol+", "Vol -").
std::string functionKey(const std::string& text) {
    std::string out;
    const std::string s = lowerCase(text);
    for (std::size_t i = 0; i < s.size(); ++i) {
        const char c = s[i];
        if (c == ' ' || c == '_') continue;
        if (c == '-' && i + 1 < s.size() && std::isalpha(static_cast<unsigned char>(s[i + 1]))) {
            continue;
        }
        out += c;
    }
    return out;
}

std::optional<int> parseSmallInt(const std::string& text) {
    if (text.empty() || text.size() > 3) return std::nullopt;
    int v = 0;
    for (char c : text) {
        if (!std::isdigit(static_cast<unsigned char>(c))) return std::nullopt;
        v = v * 10 + (c - '0');
    }
    return v;
}

std::optional<int> parseKeyFunction(const std::string& value) {
    if (auto code = parseSmallInt(value)) {
        if (*code < kKeyFunctionCount) return code;
        return std::nullopt;
    }
    const std::string wanted = functionKey(value);
    for (int code = 0; code < kKeyFunctionCount; ++code) {
        if (functionKey(keyFunctionName(code)) == wanted) return code;
    }
    return std::nullopt;
}

std::string functionChoices() {
    std::string s;
    for (int code = 0; code < kKeyFunctionCount; ++code) {
        if (code) s += ", ";
        s += std::to_string(code) + " \"" + keyFunctionName(code) + "\"";
    }
    return s;
}

const std::map<std::string, int>& modeNames() {
    static const std::map<std::string, int> names = {
        {"one-line", kModeOneLine}, {"three-line", kModeThreeLine}, {"mp3", kModeMp3},
        {"matrix", kModeMatrix},    {"parallel", kModeParallel},    {"extended", kModeExtended},
        {"key", kModeKey}};
    return names;
}

std::optional<int> onOff(const std::string& v) {
    const std::string s = lowerCase(v);
    if (s == "on") return 1;
    if (s == "off") return 0;
    return std::nullopt;
}

/// Key number N of "key<N>" or "key<N>.list"; 0 when not 1..24.
int keyNumber(const std::string& digits) {
    auto n = parseSmallInt(digits);
    if (!n || digits.front() == '0' || *n < 1 || *n > kKeyCount) return 0;
    return *n;
}

/// Applies one pair to `p`; returns an error text naming the key or value, "" on success.
std::string applyPair(const std::string& pair, Project& p, bool& musicOnAsked) {
    const auto eq = pair.find('=');
    if (eq == std::string::npos || eq == 0) {
        return "\"" + pair + "\" is not <key>=<value>.";
    }
    const std::string key = lowerCase(pair.substr(0, eq));
    const std::string value = pair.substr(eq + 1);
    const std::string lv = lowerCase(value);
    auto bad = [&](const std::string& allowed) {
        return "Bad value \"" + value + "\" for " + key + ": use " + allowed + ".";
    };
    COptions& o = p.options;
    if (key == "mode") {
        const auto it = modeNames().find(lv);
        if (it == modeNames().end()) {
            return bad("one-line, three-line, mp3, matrix, parallel, extended or key");
        }
        o.controlMode = it->second;
        return {};
    }
    if (key == "output") {
        if (lv == lowerCase(audioOutputName(1)))
            o.audioOutput = 1;
        else if (lv == lowerCase(audioOutputName(0)))
            o.audioOutput = 0;
        else
            return bad("dac or pwm");
        return {};
    }
    if (key == "busy") {
        // "low" is the dialog's "Лог. 0": the busy signal is at logic 0.
        if (lv == lowerCase(busyLevelName(1)))
            o.busyLevel = 1;
        else if (lv == lowerCase(busyLevelName(0)))
            o.busyLevel = 0;
        else
            return bad("low (\"Лог. 0\") or high (\"Лог. 1\")");
        return {};
    }
    if (key == "pullup" || key == "music") {
        const auto v = onOff(value);
        if (!v) return bad("on or off");
        if (key == "pullup") {
            o.pullUp = *v;
        } else {
            o.backgroundMusic = *v;
            musicOnAsked = *v == 1;
        }
        return {};
    }
    if (key == "flash") {
        const int index = flashSizeIndex(value);
        if (index < 0) return bad("4M, 2M, 1M, 512K or 256K");
        p.flashSize.sizeIndex = index;
        return {};
    }
    if (key.rfind("key", 0) == 0) {
        const bool list = key.size() > 5 && key.compare(key.size() - 5, 5, ".list") == 0;
        const std::string digits = key.substr(3, key.size() - 3 - (list ? 5 : 0));
        const int n = keyNumber(digits);
        if (n == 0) {
            return "Unknown key \"" + pair.substr(0, eq) + "\": keys are key1 .. key24" +
                   " and key1.list .. key24.list.";
        }
        const auto i = static_cast<std::size_t>(n - 1);
        if (list) {
            const int number = parseListNumber(value);
            if (number < 0) return bad("a list number 0..219 (decimal, or as shown: 0aH)");
            p.equation.listOfKey[i] = number;
        } else {
            const auto code = parseKeyFunction(value);
            if (!code) return bad("a function code 0..14 or its name: " + functionChoices());
            p.keys.keyFunction[i] = *code;
        }
        return {};
    }
    return "Unknown key \"" + pair.substr(0, eq) +
           "\": use mode, output, busy, pullup, music, flash, key<N> or key<N>.list.";
}

}  // namespace

void addSetCommands(CLI::App& app, Session& session) {
    auto* cmd = app.add_subcommand("set",
                                   "Set the chip settings: mode, output, busy, pullup, "
                                   "music, flash, key<N>, key<N>.list");
    static std::string project;
    static std::vector<std::string> pairs;
    cmd->add_option("project", project, "Project folder or project file")->required();
    cmd->add_option("pairs", pairs, "<key>=<value> pairs")->required();
    cmd->footer(
        "Keys:\n"
        "  mode=one-line|three-line|mp3|matrix|parallel|extended|key\n"
        "  output=dac|pwm   busy=low|high (low is \"Лог. 0\")   pullup=on|off   music=on|off\n"
        "  flash=4M|2M|1M|512K|256K\n"
        "  key<N>=<function code 0..14 or its name>   key<N>.list=<0..219>   (N = 1..24)\n"
        "The background-music flag belongs to the one-line and three-line modes: choosing\n"
        "another mode clears it, as the options dialog does.");
    cmd->callback([&session] {
        bool badArguments = false;
        session.edit(
            project,
            [&](Project& p) -> Done {
                const COptions before = p.options;
                Project changed = p;
                bool musicOnAsked = false;
                std::vector<std::string> errors;
                std::map<std::string, std::string> seen;
                for (const std::string& pair : pairs) {
                    const std::string key = lowerCase(pair.substr(0, pair.find('=')));
                    if (seen.count(key) && seen[key] != pair) {
                        errors.push_back("\"" + key + "\" is given twice (" + seen[key] + ", " +
                                         pair + "); give it once.");
                        continue;
                    }
                    seen[key] = pair;
                    const std::string error = applyPair(pair, changed, musicOnAsked);
                    if (!error.empty()) errors.push_back(error);
                }
                COptions& o = changed.options;
                if (errors.empty() && musicOnAsked && !modeHasBackgroundMusic(o.controlMode)) {
                    errors.push_back(
                        "music=on needs mode one-line or three-line; the control mode is " +
                        std::to_string(o.controlMode) + ".");
                }
                if (!errors.empty()) {
                    for (const std::string& e : errors) std::cerr << e << '\n';
                    badArguments = true;
                    return failure("Nothing was changed.");
                }
                // As in the options dialog, a mode without background music
                // clears the flag.
                if (o.controlMode != before.controlMode) {
                    o.backgroundMusic = musicFlagAfterModeChoice(o.controlMode, o.backgroundMusic);
                }
                p = std::move(changed);
                return {};
            },
            SaveWhen::Succeeded);
        if (badArguments) {
            session.exitCode = kExitUsage;
        } else if (session.exitCode == kExitOk) {
            std::cout << "Saved " << absolutePath(projectFileOf(project)) << '\n';
        }
    });
}

}  // namespace zadaravod::cli
