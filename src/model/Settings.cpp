#include "model/Settings.h"

#include <algorithm>
#include <cctype>

namespace zadaravod {

namespace {
const CRuntimeClass classCObjectBase{"CObject", 0xFFFF, {}, nullptr};

void serializeTable(CArchive& ar, std::array<std::int32_t, kKeyCount>& table) {
    for (auto& v : table) {
        if (ar.isStoring()) {
            ar.writeInt32(v);
        } else {
            v = ar.readInt32();
        }
    }
}
}  // namespace

const CRuntimeClass COptions::classCOptions{
    "COptions", 1, [] { return std::make_unique<COptions>(); }, &classCObjectBase};
const CRuntimeClass CKey::classCKey{"CKey", 1, [] { return std::make_unique<CKey>(); },
                                    &classCObjectBase};
const CRuntimeClass CEquation::classCEquation{
    "CEquation", 1, [] { return std::make_unique<CEquation>(); }, &classCObjectBase};
const CRuntimeClass CFlashSize::classCFlashSize{
    "CFlashSize", 2, [] { return std::make_unique<CFlashSize>(); }, &classCObjectBase};

namespace {
const ClassRegistration registerOptions(&COptions::classCOptions);
const ClassRegistration registerKey(&CKey::classCKey);
const ClassRegistration registerEquation(&CEquation::classCEquation);
const ClassRegistration registerFlashSize(&CFlashSize::classCFlashSize);
}  // namespace

void COptions::Serialize(CArchive& ar) {
    if (ar.isStoring()) {
        ar.writeInt32(externalMode);
        ar.writeInt32(controlMode);
        ar.writeInt32(audioOutput);
        ar.writeInt32(busyLevel);
        ar.writeInt32(pullUp);
        ar.writeString(binPath);
        ar.writeInt32(backgroundMusic);
    } else {
        externalMode = ar.readInt32();
        controlMode = ar.readInt32();
        audioOutput = ar.readInt32();
        busyLevel = ar.readInt32();
        pullUp = ar.readInt32();
        binPath = ar.readString();
        backgroundMusic = ar.readInt32();
    }
}

void COptions::setStartupValues() {
    // A freshly started editor holds what Open starts from, without music.
    setOpenValues();
    backgroundMusic = 0;
}

void COptions::setNewValues() {
    externalMode = 0;
    controlMode = kModeKey;
    audioOutput = 0;
    pullUp = 1;
    busyLevel = 1;
    binPath.clear();
}

void COptions::setOpenValues() {
    externalMode = 0;
    controlMode = kModeOneLine;
    audioOutput = 1;
    busyLevel = 1;
    pullUp = 0;
    binPath.clear();
}

void CKey::Serialize(CArchive& ar) { serializeTable(ar, keyFunction); }

void CEquation::setDefaults() {
    for (int i = 0; i < kKeyCount; ++i) listOfKey[static_cast<std::size_t>(i)] = i;
}

void CEquation::Serialize(CArchive& ar) { serializeTable(ar, listOfKey); }

void CFlashSize::Serialize(CArchive& ar) {
    if (ar.isStoring()) {
        ar.writeInt32(sizeIndex);
    } else {
        sizeIndex = ar.readInt32();
    }
}

const char* flashSizeCaption(int index) {
    static const char* const captions[kFlashSizeCount] = {"4M", "2M", "1M", "512K", "256K"};
    return index >= 0 && index < kFlashSizeCount ? captions[index] : "";
}

std::int64_t flashCapacityBits(int index) {
    static const std::int64_t megabits[kFlashSizeCount] = {32, 16, 8, 4, 2};
    return index >= 0 && index < kFlashSizeCount ? megabits[index] << 20 : 0;
}

int flashSizeIndex(const std::string& caption) {
    std::string upper = caption;
    std::transform(upper.begin(), upper.end(), upper.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    for (int i = 0; i < kFlashSizeCount; ++i) {
        if (upper == flashSizeCaption(i)) return i;
    }
    return -1;
}

const char* audioOutputName(std::int32_t audioOutput) { return audioOutput == 1 ? "DAC" : "PWM"; }
const char* busyLevelName(std::int32_t busyLevel) { return busyLevel == 1 ? "LOW" : "HIGH"; }
const char* audioOutputCaption(std::int32_t audioOutput) {
    return audioOutput == 1 ? "ЦАП" : "ШИМ";
}
const char* busyLevelCaption(std::int32_t busyLevel) {
    return busyLevel == 1 ? "Лог. 0" : "Лог. 1";
}

const char* keyFunctionName(int code) {
    static const char* const names[kKeyFunctionCount] = {
        "No Function",     "Edge retrigger", "Edge no retrigger",
        "level hold loop", "level loop",     "on/off",
        "next unloop",     "prev unloop",    "next loop",
        "prev loop",       "level unloop",   "Pause",
        "VOL +",           "Vol -",          "Stop"};
    return code >= 0 && code < kKeyFunctionCount ? names[code] : nullptr;
}

const char* controlModeDialogCaption(int mode) {
    switch (mode) {
        case kModeOneLine:
            return "Однопроводный";
        case kModeThreeLine:
            return "3-х проводный";
        case kModeMp3:
            return "MP3 Mode";
        case kModeMatrix:
            return "3 x 8 Матрица";
        case kModeParallel:
            return "Параллельный порт";
        case kModeExtended:
            return "Расширеный";
        case kModeKey:
            return "Ключевой";
        default:
            return "";
    }
}

const char* controlModeCaption(int mode) {
    switch (mode) {
        case kModeOneLine:
            return "One Line Mode";
        case kModeThreeLine:
            return "Three Line Mode";
        case kModeMp3:
            return "Mp3 Mode";
        case kModeMatrix:
            return "3X8 Matrix Mode";
        case kModeParallel:
            return "Parallel port Mode";
        case kModeExtended:
            return "Extended Mode";
        case kModeKey:
            return "Key Mode";
        default:
            return nullptr;
    }
}

}  // namespace zadaravod
