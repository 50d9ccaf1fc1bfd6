#include "audio/SdlPlayer.h"

#include <mutex>

#include "audio/AudioModules.h"

namespace zadaravod {

/// The engine of the SDL module, made on the first call that needs it.
struct SdlPlayer::Impl {
    std::once_flag made;
    std::unique_ptr<audio_module::PlayerEngine> engine;
    std::string loadError;

    /// The engine, loading the module first; null (and loadError set) when
    /// the module cannot be loaded.
    audio_module::PlayerEngine* make() {
        std::call_once(made, [this] {
            if (const audio_module::SdlFunctions* sdl = audio_module::sdl(loadError)) {
                engine.reset(sdl->createPlayer());
            }
            if (!engine && loadError.empty()) loadError = "The sound output cannot be started.";
        });
        return engine.get();
    }
};

SdlPlayer::SdlPlayer() : impl_(std::make_unique<Impl>()) {}

SdlPlayer::~SdlPlayer() = default;

bool SdlPlayer::available() {
    audio_module::PlayerEngine* engine = impl_->make();
    return engine != nullptr && engine->available();
}

std::string SdlPlayer::errorText() const {
    audio_module::PlayerEngine* engine = impl_->make();
    return engine != nullptr ? engine->errorText() : impl_->loadError;
}

bool SdlPlayer::playPaused(int channel, SampleHandle sample) {
    audio_module::PlayerEngine* engine = impl_->make();
    return engine != nullptr && engine->playPaused(channel, std::move(sample));
}

void SdlPlayer::unpauseAll() {
    if (audio_module::PlayerEngine* engine = impl_->make()) engine->unpauseAll();
}

bool SdlPlayer::isPlaying(int channel) {
    audio_module::PlayerEngine* engine = impl_->make();
    return engine != nullptr && engine->isPlaying(channel);
}

void SdlPlayer::stopAll() {
    if (audio_module::PlayerEngine* engine = impl_->make()) engine->stopAll();
}

int SdlPlayer::deviceRate() const {
    audio_module::PlayerEngine* engine = impl_->make();
    return engine != nullptr ? engine->deviceRate() : 0;
}

int SdlPlayer::deviceChannels() const {
    audio_module::PlayerEngine* engine = impl_->make();
    return engine != nullptr ? engine->deviceChannels() : 0;
}

}  // namespace zadaravod
