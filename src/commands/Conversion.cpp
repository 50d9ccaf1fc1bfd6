#include "commands/Conversion.h"

#include "audio/AudioLayer.h"
#include "commands/SoundFiles.h"
#include "io/AtomicFile.h"
#include "model/MemoryGauge.h"
#include "model/SamplingRates.h"

namespace zadaravod {

namespace {
Message convertFailure(const std::string& reason) {
    return failure("MP3/WMA to WAV Convert failed: " + reason);
}
}  // namespace

Done convertSound(const std::string& source, const std::string& output, int rate,
                  const SoundTreatment& treatment, Messenger* messenger) {
    if (!isSupportedRate(rate)) {
        return convertFailure(std::to_string(rate) +
                              " Hz is not a rate the chip plays; use one of " +
                              rateListText(kSupportedRates.back()) + " Hz");
    }
    // Bounded before any work: the result is for the flash, so a source too
    // long for the largest flash at this rate is refused with the figures.
    AudioInfo info;
    std::string error;
    if (!readAudioInfo(source, info, error)) return convertFailure(error);
    if (const std::string tooLong = checkFitsLargestFlash(source, info.lengthSeconds, rate);
        !tooLong.empty()) {
        return convertFailure(tooLong);
    }
    if (treatment.any()) {
        TreatmentStage stage(treatment);
        std::string name = fileNameOf(output);
        if (!unusableName(name).empty()) name = "converted.wav";
        const Result<std::string> treated = stage.convert(source, name, rate);
        if (!treated) return convertFailure(treated.error().text);
        std::string bytes;
        if (!readWholeFile(treated.value(), bytes, error, kMaxProcessedWavBytes)) {
            return convertFailure(error);
        }
        const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data());
        if (std::string e = writeFileAtomically(output, {data, bytes.size()}); !e.empty()) {
            return convertFailure(e);
        }
        stage.tellSavings(messenger);
        return {};
    }
    const ConversionResult result = convertToMonoWav(source, output, rate);
    if (!result.ok) return convertFailure(result.error);
    return {};
}

bool runConversionTool(UserInterface& ui) {
    FileDialogRequest open;
    open.filter = kConvertSourceFilter;
    const auto source = ui.chooseOpenFile(open);
    if (!source || source->empty()) return false;

    const int rate = ui.chooseSamplingRate(kSupportedRates.back());
    if (rate <= 0) return false;

    FileDialogRequest save;
    save.filter = kConvertOutputFilter;
    save.defaultExtension = "wav";
    const auto output = ui.chooseSaveFile(save);
    if (!output || output->empty()) return false;

    const Done converted = convertSound(*source, *output, rate);
    if (!converted) {
        ui.tell(converted.error());
        return false;
    }
    ui.message("MP3/WMA to WAV Convert OK!", kAppCaption, MessageIcon::None);
    return true;
}

}  // namespace zadaravod
