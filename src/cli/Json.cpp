#include "cli/Json.h"

#include <cmath>

#include "cli/Cli.h"
#include "format/ImageFormat.h"
#include "model/ImageContent.h"
#include "model/MemoryGauge.h"
#include "model/Settings.h"

namespace zadaravod::cli {

using nlohmann::json;

namespace {

/// `value`, or null when `known` is false.
template <typename T>
json orNull(bool known, const T& value) {
    return known ? json(value) : json(nullptr);
}

json modeName(int mode) {
    return orNull(mode >= kModeOneLine && mode <= kModeKey, image::controlModeName(mode));
}

json flashName(int sizeIndex) {
    return orNull(sizeIndex >= 0 && sizeIndex < kFlashSizeCount, flashSizeCaption(sizeIndex));
}

/// One key: its function code and the list it plays; null where the key has none.
json keyJson(int key, int function, int list) {
    const char* name = function >= 0 ? keyFunctionName(function) : nullptr;
    const bool listKnown = list >= 0 && list < kPlaylistCount;
    return {{"key", key},
            {"function", orNull(function >= 0, function)},
            {"functionName", orNull(name != nullptr, name ? name : "")},
            {"list", orNull(list >= 0, list)},
            {"listLabel", orNull(listKnown, listKnown ? listNumberText(list) : "")}};
}

json silenceJson(std::int64_t ms) { return {{"type", "silence"}, {"durationMs", ms}}; }

/// A sound record of the project (library or background music) at 1-based `no`.
json projectSoundJson(std::size_t no, const CSound& s) {
    return {{"no", no},
            {"rate", s.sampleRate},
            {"durationMs", s.durationMs},
            {"name", s.name},
            {"file", s.filePath},
            {"bitsPerSample", s.bitsPerSample},
            {"stereo", s.stereo == 1},
            {"infoExtra", s.infoExtra}};
}

json projectSounds(const CSoundList& list) {
    json out = json::array();
    std::size_t no = 1;
    for (const CSound& s : list) out.push_back(projectSoundJson(no++, s));
    return out;
}

json playlistJson(int n, json entries) {
    return {{"list", n}, {"label", listNumberText(n)}, {"entries", std::move(entries)}};
}

}  // namespace

json projectJson(const Project& p) {
    const COptions& o = p.options;
    const char* caption = controlModeCaption(o.controlMode);
    json j;
    j["version"] = kJsonVersion;
    j["kind"] = "project";
    j["settings"] = {{"mode", modeName(o.controlMode)},
                     {"modeNumber", o.controlMode},
                     {"modeCaption", orNull(caption != nullptr, caption ? caption : "")},
                     {"output", lowerCase(audioOutputName(o.audioOutput))},
                     {"busyLevel", lowerCase(busyLevelName(o.busyLevel))},
                     {"pullUp", o.pullUp != 0},
                     {"music", o.backgroundMusic != 0},
                     {"flashSize", flashName(p.flashSize.sizeIndex)},
                     {"externalMode", o.externalMode}};
    json keys = json::array();
    for (int k = 0; k < kKeyCount; ++k) {
        const auto i = static_cast<std::size_t>(k);
        keys.push_back(keyJson(k + 1, p.keys.keyFunction[i], p.equation.listOfKey[i]));
    }
    j["keys"] = keys;

    const LibraryIndex index(p.library);
    json lists = json::array();
    for (int n = 0; n < kPlaylistCount; ++n) {
        const CSoundList& list = p.playlists[static_cast<std::size_t>(n)];
        if (list.empty()) continue;
        json entries = json::array();
        for (const CSound& s : list) {
            if (!s.isSound()) {
                entries.push_back(silenceJson(s.durationMs));
                continue;
            }
            const int k = index.find(s.filePath);
            entries.push_back(
                {{"type", "sound"}, {"sound", orNull(k >= 0, k + 1)}, {"name", s.name}});
        }
        lists.push_back(playlistJson(n, std::move(entries)));
    }
    j["playlists"] = lists;
    j["sounds"] = projectSounds(p.library);

    j["projectFile"] = p.projectFilePath;
    j["soundFolder"] = p.soundFolder;
    j["imageFile"] = p.imagePath();
    j["binPath"] = o.binPath;
    j["backgroundMusic"] = projectSounds(p.backgroundMusic);
    const MemoryGauge gauge = computeMemoryGauge(p.library, p.flashSize.sizeIndex);
    j["memory"] = {{"usage", gauge.usageText()},
                   {"length", gauge.lengthText()},
                   {"percent", gauge.percent},
                   {"totalMs", std::llround(gauge.totalMs)}};
    return j;
}

json imageJson(const image::ImageReading& r) {
    json j;
    j["version"] = kJsonVersion;
    j["kind"] = "image";
    j["settings"] = {{"mode", modeName(r.controlMode)},
                     {"modeNumber", orNull(r.controlMode >= 0, r.controlMode)},
                     {"output", lowerCase(audioOutputName(r.audioOutput))},
                     {"busyLevel", lowerCase(busyLevelName(r.busyLevel))},
                     {"pullUp", r.pullUp != 0},
                     {"music", nullptr},  // the image does not hold the music flag
                     {"flashSize", flashName(r.flashSizeIndex)},
                     {"modeByte", r.modeCode},
                     {"flashByte", r.flashCode},
                     {"listCountByte", r.listCountByte}};
    json keys = json::array();
    for (const auto& k : r.keys) keys.push_back(keyJson(k.key, k.function, k.list));
    j["keys"] = keys;

    json lists = json::array();
    for (int n = 0; n < kPlaylistCount; ++n) {
        const auto& items = r.playlists[static_cast<std::size_t>(n)];
        if (items.empty()) continue;
        json entries = json::array();
        for (const auto& it : items) {
            if (it.isSound)
                entries.push_back({{"type", "sound"}, {"sound", it.soundIndex + 1}});
            else
                entries.push_back(silenceJson(it.silenceMs));
        }
        lists.push_back(playlistJson(n, std::move(entries)));
    }
    j["playlists"] = lists;

    json sounds = json::array();
    json spare = json::array();
    for (int k = 0; k < kLibraryCapacity; ++k) {
        const auto& s = r.sounds[static_cast<std::size_t>(k)];
        json e{{"no", k + 1}, {"rate", orNull(s.sampleRate > 0, s.sampleRate)}};
        const int playRate =
            s.decodes ? image::chipPlayRate(s.sampleRate, s.element.sampleRate) : 0;
        e["durationMs"] = orNull(
            playRate > 0, playRate > 0 ? std::int64_t{s.element.sampleCount} * 1000 / playRate : 0);
        e["address"] = orNull(s.addressValid, s.address);
        if (s.decodes) {
            e["elementBytes"] = s.element.elementBytes();
            e["samples"] = s.element.sampleCount;
        }
        (s.library ? sounds : spare).push_back(e);
    }
    j["sounds"] = sounds;

    j["fileBytes"] = r.fileBytes;
    j["spareSounds"] = spare;
    j["problems"] = r.problems;
    return j;
}

json findingsJson(const Project& p, const std::vector<Finding>& findings) {
    json list = json::array();
    auto number = [](int n) { return orNull(n >= 0, n); };
    for (const Finding& f : findings) {
        list.push_back({{"severity", severityName(f.severity)},
                        {"kind", f.kind},
                        {"place", f.place},
                        {"text", f.text},
                        {"action", f.action},
                        {"list", number(f.list)},
                        {"entry", number(f.entry < 0 ? -1 : f.entry + 1)},
                        {"key", number(f.key)},
                        {"sound", number(f.sound < 0 ? -1 : f.sound + 1)}});
    }
    return {{"version", kJsonVersion},
            {"kind", "check"},
            {"projectFile", p.projectFilePath},
            {"errors", countOf(findings, Severity::Error)},
            {"warnings", countOf(findings, Severity::Warning)},
            {"hints", countOf(findings, Severity::Hint)},
            {"findings", list}};
}

}  // namespace zadaravod::cli
