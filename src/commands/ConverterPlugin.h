#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "commands/Result.h"
#include "commands/UserInterface.h"
#include "io/AppPaths.h"
#include "io/FileDigests.h"
#include "io/Sha256.h"

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

/// An element made by the plugin, or why none was.
struct ElementConversion {
    std::vector<std::uint8_t> element;  ///< the element's bytes; empty on failure
    /// The converter itself reported a failure (a zero result), as opposed
    /// to a conversion that left no readable element.
    bool converterFailed = false;
    /// For a converter failure its own reason ("" when it gives none);
    /// otherwise the whole message saying why there is no element.
    std::string reason;

    bool ok() const { return !element.empty(); }
};

/// The converter plugin (libZozazeZovevidiz.so, or whatever lies at its
/// path), loaded once and released when the object goes. Its one entry
/// point ConvertWAVToMDM(wav, wav.rbf, wav.rbf) writes the sound element
/// beside the WAV; a plugin without it converts nothing and counts as
/// successful, as the original does. A plugin may also offer the optional
/// extensions of docs/converter-plugin.md (ours does); they are used when
/// present.
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

    /// Whether the plugin converts into memory (ZozazeZovevidizConvertToMemory
    /// with ZozazeZovevidizFreeElement).
    bool convertsInMemory() const { return toMemory_ != nullptr && freeElement_ != nullptr; }
    /// Converts `wavPath` and returns the element's bytes: in memory when the
    /// plugin can, writing nothing; otherwise through convert(), reading the
    /// element file back and removing it and its ".rbf.h" companion.
    /// `soundName` names the sound in the messages. Thread-safe as convert().
    ElementConversion convertToElement(const std::string& wavPath,
                                       const std::string& soundName) const;
    /// Whether the plugin converts many WAVs in one call
    /// (ZozazeZovevidizConvertManyToMemory with ZozazeZovevidizFreeElement).
    bool convertsManyInMemory() const { return toMany_ != nullptr && freeElement_ != nullptr; }
    /// Converts `wavPaths` (named `soundNames` in messages) and returns one
    /// result per path, in order: in one call when the plugin can, otherwise
    /// one by one through convertToElement(). Thread-safe as convert().
    std::vector<ElementConversion> convertManyToElements(
        const std::vector<std::string>& wavPaths, const std::vector<std::string>& soundNames) const;
    /// What decides the bytes the plugin makes of a WAV besides the WAV: a
    /// SHA-256 of the plugin file and of the codec identity it reports
    /// (ZozazeZovevidizCodecIdentity, optional). nullopt when the plugin file
    /// cannot be read.
    /// `digests`, when given, spares the hashing of a plugin file that did
    /// not change since a build before.
    std::optional<Sha256::Digest> identity(FileDigests* digests = nullptr) const;

  private:
    using ToMemoryFunction = int (*)(const char*, unsigned char**, std::size_t*);
    using ToManyFunction = int (*)(const char* const*, std::size_t, unsigned char**, std::size_t*,
                                   const char**);
    using FreeFunction = void (*)(unsigned char*);
    using TextFunction = const char* (*)();

    /// The result of a conversion into memory: the plugin's `bytes` (given
    /// back to it here) when `converted`, else its `reason` (may be null).
    ElementConversion takeElement(bool converted, unsigned char* bytes, std::size_t size,
                                  const char* reason, const std::string& soundName) const;

    std::string path_;
    void* handle_ = nullptr;
    std::string loadError_;
    ToMemoryFunction toMemory_ = nullptr;
    ToManyFunction toMany_ = nullptr;
    FreeFunction freeElement_ = nullptr;
    TextFunction lastError_ = nullptr;
    TextFunction codecIdentity_ = nullptr;
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

/// Converts `wavPath` and returns the element's bytes without writing
/// anything beside the user's file: in memory when the plugin can, otherwise
/// from a copy inside a private scratch folder. Fails with a message naming
/// the file and what to do.
Result<std::vector<std::uint8_t>> convertPrivately(const ConverterPlugin& plugin,
                                                   const std::string& wavPath);

}  // namespace zadaravod
