// The entry of libzadaravod_prompt.so: speech (espeak-ng) and loudness
// (libebur128), linked into the module so that programs load them only when
// a sound is spoken, trimmed or measured.
#include "audio/AudioModules.h"

extern "C" __attribute__((visibility("default"))) const zadaravod::audio_module::PromptFunctions*
zadaravod_prompt_module(int interfaceVersion) {
    static const zadaravod::audio_module::PromptFunctions table = {
        zadaravod::listSpeechVoices, zadaravod::synthesizeSpeech,  zadaravod::trimSilence,
        zadaravod::measureLoudness,  zadaravod::normalizeLoudness, zadaravod::processWavFile};
    return interfaceVersion == zadaravod::audio_module::kModuleInterfaceVersion ? &table : nullptr;
}
