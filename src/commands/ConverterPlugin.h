#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "commands/Result.h"
#include "commands/UserInterface.h"
#include "io/AppPaths.h"

namespace zadaravod {

/// What one conversion through the converter plugin did.
struct ConversionOutcome {
    std::string elementPath;  ///< WAV path + ".rbf"
    bool entryFound = false;  ///< ConvertWAVToMDM was found
    int result = 1;           ///< its result (non-zero = success); 1 when not called
    /// Why the conversion failed, when the converter says
    /// (ZozazeZovevidizLastError, an optional export); "" otherwise.
    std::string reason;
};

/// The converter plugin (libZozazeZovevidiz.so, or whatever lies at its
/// path), loaded once and released when the object goes. Its one entry
/// point ConvertWAVToMDM(wav, wav.rbf, wav.rbf) writes the sound element
/// beside the WAV; a plugin without it converts nothing and counts as
/// successful, as the original does.
class ConverterPlugin {
  public:
    explicit ConverterPlugin(const std::string& path);
    ~ConverterPlugin();
    ConverterPlugin(const ConverterPlugin&) = delete;
    ConverterPlugin& operator=(const ConverterPlugin&) = delete;

    bool loaded() const { return handle_ != nullptr; }
    /// The loader's reason when the plugin did not load.
    const std::string& loadError() const { return loadError_; }
    /// Converts `wavPath` into wavPath + ".rbf" (and ".rbf.h"). Safe to call
    /// from several threads at once (our plugin is; a replacement is called
    /// the same way the build always called it).
    ConversionOutcome convert(const std::string& wavPath) const;

  private:
    void* handle_ = nullptr;
    std::string loadError_;
};

/// The converter's own message when the plugin cannot be loaded.
inline constexpr const char* kConverterLoadFailure = "Load ZozazeZovevidiz Library Fail!";

/// Tells what went wrong in a failed conversion with the converter's own
/// messages: "Fail!" then the WAV path, with the application's title.
void tellConversionFailure(Messenger& messenger, const std::string& wavPath);

/// Reads the element file a conversion made (at most 64 MiB); fails with a
/// message naming `soundName` when there is none, it cannot be read or it is
/// empty.
Result<std::vector<std::uint8_t>> readElementFile(const std::string& elementPath,
                                                  const std::string& soundName);

/// Converts a copy of `wavPath` inside a private scratch folder and returns
/// the element's bytes: nothing is written beside the user's file. Fails with
/// a message naming the file and what to do.
Result<std::vector<std::uint8_t>> convertPrivately(const ConverterPlugin& plugin,
                                                   const std::string& wavPath);

}  // namespace zadaravod
