#include "image/MelodyConverter.h"

#include <dlfcn.h>

#include <cstring>

namespace zadaravod {

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
}  // namespace

ConversionOutcome runConverter(const std::string& pluginPath, const std::string& wavPath) {
    ConversionOutcome outcome;
    void* handle = dlopen(pluginPath.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        const char* reason = dlerror();
        outcome.loadError = reason != nullptr ? reason : "unknown reason";
        return outcome;
    }
    outcome.loaded = true;
    outcome.elementPath = wavPath + ".rbf";
    outcome.result = 1;  // a missing entry point counts as success
    if (const auto convert = symbolAs<ConvertFunction>(handle, "ConvertWAVToMDM")) {
        outcome.entryFound = true;
        outcome.result =
            convert(wavPath.c_str(), outcome.elementPath.c_str(), outcome.elementPath.c_str());
        const auto reason = symbolAs<ReasonFunction>(handle, "ZozazeZovevidizLastError");
        if (outcome.result == 0 && reason != nullptr) {
            const char* text = reason();
            if (text != nullptr) outcome.reason = text;
        }
    }
    dlclose(handle);
    return outcome;
}

std::string reportConversion(const ConversionOutcome& outcome, const std::string& wavPath,
                             UserInterface& ui) {
    if (!outcome.loaded) {
        ui.message("Load ZozazeZovevidiz Library Fail!", kAppCaption, UserInterface::Icon::Error);
        return {};
    }
    if (outcome.result == 0) {
        ui.message("Fail!", kAppTitle, UserInterface::Icon::Error);
        ui.message(wavPath, kAppTitle, UserInterface::Icon::Error);
    }
    return outcome.elementPath;
}

std::string convertToElement(const AppPaths& paths, UserInterface& ui, const std::string& wavPath) {
    return reportConversion(runConverter(paths.converterPath(), wavPath), wavPath, ui);
}

}  // namespace zadaravod
