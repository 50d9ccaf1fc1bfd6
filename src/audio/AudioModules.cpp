#include "audio/AudioModules.h"

#include "io/Modules.h"

namespace zadaravod::audio_module {

namespace {

template <typename Table>
LoadedModule<Table> load(const char* file, const char* entry, const char* what) {
    return loadModule<Table>(file, entry, what, kModuleInterfaceVersion);
}

}  // namespace

const FfmpegFunctions* ffmpeg(std::string& error) {
    static const LoadedModule<FfmpegFunctions> module =
        load<FfmpegFunctions>(kFfmpegModuleName, "zadaravod_ffmpeg_module", "audio decoder module");
    error = module.error;
    return module.table;
}

const SdlFunctions* sdl(std::string& error) {
    static const LoadedModule<SdlFunctions> module =
        load<SdlFunctions>(kSdlModuleName, "zadaravod_sdl_module", "sound output module");
    error = module.error;
    return module.table;
}

const PromptFunctions* prompt(std::string& error) {
    static const LoadedModule<PromptFunctions> module = load<PromptFunctions>(
        kPromptModuleName, "zadaravod_prompt_module", "speech and loudness module");
    error = module.error;
    return module.table;
}

}  // namespace zadaravod::audio_module
