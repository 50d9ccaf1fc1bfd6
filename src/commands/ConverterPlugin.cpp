#include "commands/ConverterPlugin.h"

#include <dlfcn.h>

#include <cstring>
#include <filesystem>
#include <optional>

#include "io/AtomicFile.h"
#include "io/ScratchFolder.h"

namespace zadaravod {
namespace fs = std::filesystem;

namespace {

using ConvertFunction = int (*)(const char*, const char*, const char*);

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

ConverterPlugin::ConverterPlugin(const std::string& path) : path_(path) {
    handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle_ == nullptr) {
        const char* reason = dlerror();
        loadError_ = reason != nullptr ? reason : "unknown reason";
        return;
    }
    toMemory_ = symbolAs<ToMemoryFunction>(handle_, "ZozazeZovevidizConvertToMemory");
    toMany_ = symbolAs<ToManyFunction>(handle_, "ZozazeZovevidizConvertManyToMemory");
    freeElement_ = symbolAs<FreeFunction>(handle_, "ZozazeZovevidizFreeElement");
    lastError_ = symbolAs<TextFunction>(handle_, "ZozazeZovevidizLastError");
    codecIdentity_ = symbolAs<TextFunction>(handle_, "ZozazeZovevidizCodecIdentity");
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
        if (outcome.result == 0 && lastError_ != nullptr) {
            const char* text = lastError_();
            if (text != nullptr) outcome.reason = text;
        }
    }
    return outcome;
}

ElementConversion ConverterPlugin::convertToElement(const std::string& wavPath,
                                                    const std::string& soundName) const {
    ElementConversion conversion;
    if (!convertsInMemory()) {
        const ConversionOutcome outcome = convert(wavPath);
        struct RemoveOutputs {
            const std::string& element;
            ~RemoveOutputs() {
                std::error_code ec;
                fs::remove(element, ec);
                fs::remove(element + ".h", ec);
            }
        } cleanup{outcome.elementPath};
        // A failed conversion is a failure even when an element file of an
        // earlier run lies beside the WAV: that one is not this sound's.
        if (outcome.result == 0) {
            conversion.converterFailed = true;
            conversion.reason = outcome.reason;
            return conversion;
        }
        Result<std::vector<std::uint8_t>> element = readElementFile(outcome.elementPath, soundName);
        if (element)
            conversion.element = std::move(element.value());
        else
            conversion.reason = element.error().text;
        return conversion;
    }
    unsigned char* bytes = nullptr;
    std::size_t size = 0;
    const int result = toMemory_(wavPath.c_str(), &bytes, &size);
    const char* reason = result == 0 && lastError_ != nullptr ? lastError_() : nullptr;
    return takeElement(result != 0, bytes, size, reason, soundName);
}

ElementConversion ConverterPlugin::takeElement(bool converted, unsigned char* bytes,
                                               std::size_t size, const char* reason,
                                               const std::string& soundName) const {
    ElementConversion conversion;
    if (converted && bytes != nullptr && size > 0 && size <= kMaxElementBytes) {
        conversion.element.assign(bytes, bytes + size);
    } else if (!converted) {
        conversion.converterFailed = true;
        if (reason != nullptr) conversion.reason = reason;
    } else {
        conversion.reason = "The build stopped: the conversion of " + soundName +
                            (size > kMaxElementBytes ? " produced a sound element over 64 MiB."
                                                     : " produced an empty sound element.");
    }
    freeElement_(bytes);
    return conversion;
}

std::vector<ElementConversion> ConverterPlugin::convertManyToElements(
    const std::vector<std::string>& wavPaths, const std::vector<std::string>& soundNames) const {
    const std::size_t n = std::min(wavPaths.size(), soundNames.size());
    std::vector<ElementConversion> out;
    out.reserve(n);
    if (!convertsManyInMemory() || n <= 1) {
        for (std::size_t i = 0; i < n; ++i)
            out.push_back(convertToElement(wavPaths[i], soundNames[i]));
        return out;
    }
    std::vector<const char*> paths(n);
    for (std::size_t i = 0; i < n; ++i) paths[i] = wavPaths[i].c_str();
    std::vector<unsigned char*> elements(n, nullptr);
    std::vector<std::size_t> sizes(n, 0);
    std::vector<const char*> reasons(n, nullptr);
    if (toMany_(paths.data(), n, elements.data(), sizes.data(), reasons.data()) == 0) {
        // The call itself was refused: every WAV failed, for the one reason.
        const char* reason = lastError_ != nullptr ? lastError_() : nullptr;
        for (std::size_t i = 0; i < n; ++i)
            out.push_back(takeElement(false, nullptr, 0, reason, soundNames[i]));
        return out;
    }
    for (std::size_t i = 0; i < n; ++i) {
        // An element is a success; a missing one is the converter's failure.
        out.push_back(
            takeElement(elements[i] != nullptr, elements[i], sizes[i], reasons[i], soundNames[i]));
    }
    return out;
}

std::optional<Sha256::Digest> ConverterPlugin::identity(FileDigests* digests) const {
    Sha256::Digest file{};
    std::string error, fingerprint;
    constexpr std::uintmax_t kMaxPluginBytes = std::uintmax_t{1} << 30;
    if (!loaded() ||
        !(digests != nullptr ? digests->digestOf(path_, fingerprint, file, error, kMaxPluginBytes)
                             : sha256OfFile(path_, file, error, kMaxPluginBytes))) {
        return std::nullopt;
    }
    Sha256 h;
    h.update("ZadarAvod converter identity 1\n");
    h.update(Sha256::hex(file));
    h.update("\n");
    if (codecIdentity_ != nullptr) {
        if (const char* codec = codecIdentity_()) h.update(codec);
    }
    return h.finish();
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
    // A plugin that converts only into files works on a copy, so that
    // nothing is written beside the user's file.
    std::optional<ScratchFolder> folder;
    std::string source = wavPath;
    if (!plugin.convertsInMemory()) {
        folder.emplace();
        if (folder->path().empty()) {
            return failure(
                "Cannot make a private temporary folder: " + std::string(std::strerror(errno)) +
                ". Free some space there or set TMPDIR.");
        }
        const fs::path copy = folder->path() / "sound.wav";
        fs::copy_file(wavPath, copy, ec);
        if (ec) return failure("Cannot read " + wavPath + ": " + ec.message() + ".");
        source = copy.string();
    }
    ElementConversion conversion = plugin.convertToElement(source, wavPath);
    if (conversion.ok()) return std::move(conversion.element);
    if (!conversion.converterFailed) {
        return failure("The converter made no sound element of " + wavPath + ".");
    }
    return failure(
        "The converter could not turn " + wavPath + " into a sound element" +
        (conversion.reason.empty()
             ? std::string(". Check that it is a PCM WAV file (8 or 16 bits, mono or stereo).")
             : ": " + conversion.reason + "."));
}

}  // namespace zadaravod
