#include "audio/ConversionTool.h"

#include "audio/AudioLayer.h"
#include "audio/SamplingRates.h"
#include "model/MemoryGauge.h"

namespace zadaravod {

bool runConversionTool(UserInterface& ui) {
    FileDialogRequest open;
    open.filter = kConvertSourceFilter;
    const auto source = ui.chooseOpenFile(open);
    if (!source || source->empty()) return false;

    const int rate = ui.chooseSamplingRate(kSupportedRates.back());
    if (rate <= 0) return false;

    // Bounded before any work: the result is for the flash, so a source too
    // long for the largest flash at this rate is refused with the figures.
    AudioInfo info;
    std::string error;
    if (!readAudioInfo(*source, info, error)) {
        ui.message("MP3/WMA to WAV Convert failed: " + error, kAppCaption,
                   UserInterface::Icon::Error);
        return false;
    }
    if (const std::string tooLong = checkFitsLargestFlash(*source, info.lengthSeconds, rate);
        !tooLong.empty()) {
        ui.message("MP3/WMA to WAV Convert failed: " + tooLong, kAppCaption,
                   UserInterface::Icon::Error);
        return false;
    }

    FileDialogRequest save;
    save.filter = kConvertOutputFilter;
    save.defaultExtension = "wav";
    const auto output = ui.chooseSaveFile(save);
    if (!output || output->empty()) return false;

    const ConversionResult result = convertToMonoWav(*source, *output, rate);
    if (!result.ok) {
        ui.message("MP3/WMA to WAV Convert failed: " + result.error, kAppCaption,
                   UserInterface::Icon::Error);
        return false;
    }
    ui.message("MP3/WMA to WAV Convert OK!", kAppCaption, UserInterface::Icon::None);
    return true;
}

}  // namespace zadaravod
