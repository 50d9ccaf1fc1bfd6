#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "format/Archive.h"
#include "format/ChipConstants.h"

namespace zadaravod {

/// How the chip is controlled and drives its outputs.
class COptions : public CObject {
  public:
    static const CRuntimeClass classCOptions;
    const CRuntimeClass* runtimeClass() const override { return &classCOptions; }
    /// Order: externalMode, controlMode, audioOutput, busyLevel, pullUp,
    /// binPath, backgroundMusic.
    void Serialize(CArchive& ar) override;
    bool operator==(const COptions&) const = default;

    void setStartupValues();  ///< values of a freshly started editor
    void setNewValues();      ///< after New (backgroundMusic unchanged)
    void setOpenValues();     ///< after Open, before loading (backgroundMusic unchanged)

    std::int32_t externalMode = 0;
    std::int32_t controlMode = 0;
    std::int32_t audioOutput = 1;  ///< 1 = DAC, 0 = PWM
    std::int32_t busyLevel = 1;    ///< 1 = busy at logic 0, 0 = at logic 1
    std::int32_t pullUp = 0;
    std::int32_t backgroundMusic = 0;
    std::string binPath;
};

/// What each of the 24 keys does: an index 0..14 into the key functions.
class CKey : public CObject {
  public:
    static const CRuntimeClass classCKey;
    const CRuntimeClass* runtimeClass() const override { return &classCKey; }
    void Serialize(CArchive& ar) override;
    bool operator==(const CKey&) const = default;
    void setDefaults() { keyFunction.fill(1); }

    CKey() { setDefaults(); }
    std::array<std::int32_t, kKeyCount> keyFunction{};
};

/// Which playlist (0..219) each key plays.
class CEquation : public CObject {
  public:
    static const CRuntimeClass classCEquation;
    const CRuntimeClass* runtimeClass() const override { return &classCEquation; }
    void Serialize(CArchive& ar) override;
    bool operator==(const CEquation&) const = default;
    void setDefaults();

    CEquation() { setDefaults(); }
    std::array<std::int32_t, kKeyCount> listOfKey{};
};

/// The flash the image is built for: 0 "4M", 1 "2M", 2 "1M", 3 "512K", 4 "256K".
class CFlashSize : public CObject {
  public:
    static const CRuntimeClass classCFlashSize;
    const CRuntimeClass* runtimeClass() const override { return &classCFlashSize; }
    void Serialize(CArchive& ar) override;
    bool operator==(const CFlashSize&) const = default;

    std::int32_t sizeIndex = 0;
};

/// "4M", "2M", "1M", "512K", "256K" by index.
const char* flashSizeCaption(int index);
/// Capacity in bits: (32, 16, 8, 4, 2)[index] x 2^20; 0 for an invalid index.
std::int64_t flashCapacityBits(int index);
/// Parses a caption such as "512K" (case-insensitive); -1 when unknown.
int flashSizeIndex(const std::string& caption);

/// The audio output as the chip's documents name it: "DAC" for 1, "PWM"
/// otherwise. The command line writes it in lower case.
const char* audioOutputName(std::int32_t audioOutput);
/// The busy level: "LOW" for 1 (the options dialog's "Лог. 0", busy at logic
/// 0), "HIGH" otherwise. The command line writes it in lower case.
const char* busyLevelName(std::int32_t busyLevel);
/// The options dialog's captions of the two: "ЦАП"/"ШИМ" and "Лог. 0"/"Лог. 1".
const char* audioOutputCaption(std::int32_t audioOutput);
const char* busyLevelCaption(std::int32_t busyLevel);

/// The key function names of the key dialog, by code 0..14.
const char* keyFunctionName(int code);
/// The option-dialog caption of a control mode ("Однопроводный", ...), "" if unknown.
const char* controlModeDialogCaption(int mode);
/// The main window's mode caption ("One Line Mode", ...), nullptr if unknown.
const char* controlModeCaption(int mode);

}  // namespace zadaravod
