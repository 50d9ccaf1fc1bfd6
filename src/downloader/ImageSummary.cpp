#include "downloader/ImageSummary.h"

#include <memory>

#include "format/ImageReader.h"
#include "model/Settings.h"

namespace zadaravod::download {

std::vector<std::string> describeImage(std::span<const std::uint8_t> bytes) {
    std::vector<std::string> lines;
    lines.push_back("Size: " + std::to_string(bytes.size()) + " bytes");
    // The reading holds 220 playlists and 510 sound entries: keep it off the stack.
    auto reading = std::make_unique<image::ImageReading>();
    if (!image::readImage(bytes, *reading)) {
        lines.push_back("This is not a LARK40 image:");
        for (const std::string& p : reading->problems) lines.push_back("  " + p);
        return lines;
    }
    const char* mode = controlModeCaption(reading->controlMode);
    lines.push_back(std::string("Control mode: ") + (mode ? mode : "unknown") + " (code " +
                    std::to_string(reading->modeCode) + ")");
    lines.push_back(std::string("Audio output: ") + audioOutputName(reading->audioOutput) +
                    ", busy at logic " + (reading->busyLevel == 1 ? "0" : "1") + ", pull-up " +
                    (reading->pullUp ? "on" : "off"));
    const char* flash = flashSizeCaption(reading->flashSizeIndex);
    lines.push_back(std::string("Built for flash: ") + (*flash ? flash : "unknown"));
    int lists = 0;
    for (const auto& list : reading->playlists) lists += list.empty() ? 0 : 1;
    lines.push_back("Sounds: " + std::to_string(reading->libraryCount) +
                    ", playlists in use: " + std::to_string(lists) +
                    ", keys in the table: " + std::to_string(reading->keys.size()));
    if (!reading->problems.empty()) {
        lines.push_back("Problems found: " + std::to_string(reading->problems.size()));
        const std::size_t shown = std::min<std::size_t>(reading->problems.size(), 5);
        for (std::size_t i = 0; i < shown; ++i) lines.push_back("  " + reading->problems[i]);
    }
    return lines;
}

}  // namespace zadaravod::download
