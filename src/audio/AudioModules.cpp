#include "audio/AudioModules.h"

#include <dlfcn.h>

#include <cstring>
#include <filesystem>

#include "io/AppPaths.h"

namespace zadaravod::audio_module {

namespace {

/// An opened module's table, or why there is none.
template <typename Table>
struct Loaded {
    const Table* table = nullptr;
    std::string error;
};

/// Opens module `file` (from the application folder, the folder of the
/// running executable; else wherever the dynamic loader finds it by name,
/// which is how programs of the build tree outside that folder find it) and
/// calls its entry `entry`. The module is never closed: the libraries keep
/// global state for the life of the process.
template <typename Table>
Loaded<Table> load(const char* file, const char* entry, const char* what) {
    Loaded<Table> loaded;
    const std::string beside = AppPaths::ofRunningExecutable().appFolder + file;
    void* handle = dlopen(beside.c_str(), RTLD_NOW | RTLD_LOCAL);
    std::string reason;
    if (handle == nullptr) {
        const char* why = dlerror();
        std::error_code ec;
        // A module that is there but does not load says more than the search.
        if (std::filesystem::exists(beside, ec) && why != nullptr) reason = why;
        handle = dlopen(file, RTLD_NOW | RTLD_LOCAL);
    }
    if (handle == nullptr) {
        const char* why = dlerror();
        if (reason.empty() && why != nullptr) reason = why;
        loaded.error = std::string("The ") + what + " (" + file + ") cannot be loaded" +
                       (reason.empty() ? std::string() : ": " + reason) +
                       ". Reinstall the application so that the file lies beside the program.";
        return loaded;
    }
    using Entry = const Table* (*)(int);
    void* symbol = dlsym(handle, entry);
    Entry call = nullptr;
    static_assert(sizeof call == sizeof symbol);
    if (symbol != nullptr) std::memcpy(&call, &symbol, sizeof call);
    if (call != nullptr) loaded.table = call(kModuleInterfaceVersion);
    if (loaded.table == nullptr) {
        loaded.error = std::string("The ") + what + " (" + file +
                       ") belongs to another version of the application. Reinstall the "
                       "application.";
    }
    return loaded;
}

}  // namespace

const FfmpegFunctions* ffmpeg(std::string& error) {
    static const Loaded<FfmpegFunctions> module =
        load<FfmpegFunctions>(kFfmpegModuleName, "zadaravod_ffmpeg_module", "audio decoder module");
    error = module.error;
    return module.table;
}

const SdlFunctions* sdl(std::string& error) {
    static const Loaded<SdlFunctions> module =
        load<SdlFunctions>(kSdlModuleName, "zadaravod_sdl_module", "sound output module");
    error = module.error;
    return module.table;
}

const PromptFunctions* prompt(std::string& error) {
    static const Loaded<PromptFunctions> module = load<PromptFunctions>(
        kPromptModuleName, "zadaravod_prompt_module", "speech and loudness module");
    error = module.error;
    return module.table;
}

}  // namespace zadaravod::audio_module
