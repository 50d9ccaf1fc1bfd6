#pragma once

#include <memory>
#include <string>

#include "audio/Player.h"

namespace zadaravod {

/// The player over SDL2 audio.
///
/// The device is opened on the first call that needs it (available(),
/// playPaused()) as signed 16-bit stereo at 44100 Hz, or at the device's own
/// rate when it prefers another, and stays open until the player goes. Each
/// playing channel resamples its sample to the device's rate with the soxr
/// resampler (through swresample, as the audio layer converts) in small
/// pieces inside the device callback, so a long recording costs no second
/// copy; mono goes to both sides. The callback mixes the channels with
/// saturation. A channel that played to its end falls silent, and its sample
/// and resampler are released on the next call.
///
/// SDL2 and the resampler live in the sound output module
/// (libzadaravod_sdl.so), loaded on the first call; a module that cannot be
/// loaded counts as no device, and errorText() says why.
///
/// No device (SDL's audio cannot start, no sound card or sound server, the
/// driver named by SDL_AUDIODRIVER is missing): available() is false,
/// errorText() says why, and every play call does nothing. The open is tried
/// once; the reason is not repeated by the player itself.
///
/// Tests pick SDL's "disk" driver (SDL_AUDIODRIVER=disk, SDL_DISKAUDIOFILE,
/// SDL_DISKAUDIODELAY=0) before the first call and read what was played.
class SdlPlayer final : public Player {
  public:
    SdlPlayer();
    /// Stops every channel, closes the device and shuts SDL's audio down.
    ~SdlPlayer() override;

    bool available() override;
    std::string errorText() const override;
    bool playPaused(int channel, SampleHandle sample) override;
    void unpauseAll() override;
    bool isPlaying(int channel) override;
    void stopAll() override;

    /// The open device's rate in Hz and channel count; 0 before the device
    /// is open or without one.
    int deviceRate() const;
    int deviceChannels() const;

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace zadaravod
