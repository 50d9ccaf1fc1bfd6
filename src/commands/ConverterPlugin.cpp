#include "commands/ConverterPlugin.h"

#include <dlfcn.h>

#include <cstring>
#include <filesystem>

#include "io/AtomicFile.h"
#include "io/ScratchFolder.h"

namespace zadaravod {
namespace fs = std::filesystem;

namespace {

using ConvertFunction = int (*)(const char*, const char*, const char*);
using ReasonFunction = const char* (*)();

template <typename Function>
Function symbolAs(void* handle, const char* name) {
    void* symbol = dlsym(handle, name);
    Function f = nullptr;
    static_assert(sizeof f == sizeof symbol);
    if (symbol != nullptr) std::memcpy(&f, &symbol, sizeof f);
    return f;
}

/// Element files are sounds of at most a few MiB; anything beyond this is
/// not an element.
constexpr std::uintmax_t kMaxElementBytes = std::uintmax_t{64} << 20;

}  // namespace

ConverterPlugin::ConverterPlugin(const std::string& path) {
    handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle_ == nullptr) {
        const char* reason = dlerror();
        loadError_ = reason != nullptr ? reason : "unknown reason";
    }
}

ConverterPlugin::~ConverterPlugin() {
    if (handle_ != nullptr) dlclose(handle_);
}

ConversionOutcome ConverterPlugin::convert(const std::string& wavPath) const {
    ConversionOutcome outcome;
    outcome.elementPath = wavPath + ".rbf";
    if (handle_ == nullptr) {
        outcome.result = 0;
        outcome.reason = kConverterLoadFailure;
        return outcome;
    }
    if (const auto convert = symbolAs<ConvertFunction>(handle_, "ConvertWAVToMDM")) {
        outcome.entryFound = true;
        outcome.result =
            convert(wavPath.c_str(), outcome.elementPath.c_str(), outcome.elementPath.c_str());
        const auto reason = symbolAs<ReasonFunction>(handle_, "ZozazeZovevidizLastError");
        if (outcome.result == 0 && reason != nullptr) {
            const char* text = reason();
            if (text != nullptr) outcome.reason = text;
        }
    }
    return outcome;
}

void tellConversionFailure(Messenger& messenger, const std::string& wavPath) {
    messenger.message("Fail!", kAppTitle, MessageIcon::Error);
    messenger.message(wavPath, kAppTitle, MessageIcon::Error);
}

Result<std::vector<std::uint8_t>> readElementFile(const std::string& elementPath,
                                                  const std::string& soundName) {
    std::string bytes, error;
    std::error_code ec;
    if (elementPath.empty() || !fs::is_regular_file(elementPath, ec)) {
        return failure("The build stopped: the conversion of " + soundName +
                       " produced no sound element (" + elementPath + ").");
    }
    if (!readWholeFile(elementPath, bytes, error, kMaxElementBytes)) {
        return failure("The build stopped: the sound element of " + soundName +
                       " cannot be read: " + error);
    }
    if (bytes.empty()) {
        return failure("The build stopped: the sound element of " + soundName + " is empty (" +
                       elementPath + ").");
    }
    return std::vector<std::uint8_t>(bytes.begin(), bytes.end());
}

Result<std::vector<std::uint8_t>> convertPrivately(const ConverterPlugin& plugin,
                                                   const std::string& wavPath) {
    std::error_code ec;
    if (!fs::is_regular_file(wavPath, ec)) {
        return failure("Cannot convert " + wavPath +
                       ": the file is missing or is not a regular file.");
    }
    if (!plugin.loaded()) {
        return failure("The converter plugin cannot be loaded (" + plugin.loadError() +
                       "). Reinstall the application so that the plugin lies in its folder.");
    }
    const ScratchFolder folder;
    if (folder.path().empty()) {
        return failure(
            "Cannot make a private temporary folder: " + std::string(std::strerror(errno)) +
            ". Free some space there or set TMPDIR.");
    }
    const fs::path copy = folder.path() / "sound.wav";
    fs::copy_file(wavPath, copy, ec);
    if (ec) return failure("Cannot read " + wavPath + ": " + ec.message() + ".");
    const ConversionOutcome outcome = plugin.convert(copy.string());
    if (outcome.result == 0) {
        return failure(
            "The converter could not turn " + wavPath + " into a sound element" +
            (outcome.reason.empty()
                 ? std::string(". Check that it is a PCM WAV file (8 or 16 bits, mono or stereo).")
                 : ": " + outcome.reason + "."));
    }
    Result<std::vector<std::uint8_t>> element = readElementFile(outcome.elementPath, wavPath);
    if (!element) return failure("The converter made no sound element of " + wavPath + ".");
    return element;
}

}  // namespace zadaravod
