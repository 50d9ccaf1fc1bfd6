#pragma once

#include <string>

#include "model/AppPaths.h"
#include "model/UserInterface.h"

namespace zadaravod {

/// What one run of the converter plugin did, without telling the user.
struct ConversionOutcome {
    std::string elementPath;  ///< WAV path + ".rbf"; "" when the plugin did not load
    bool loaded = false;      ///< the plugin was loaded
    bool entryFound = false;  ///< ConvertWAVToMDM was found
    int result = 0;           ///< its result (non-zero = success); 1 when not called
    std::string loadError;    ///< the loader's reason when it did not load
    /// Why the conversion failed, when the converter says
    /// (ZozazeZovevidizLastError, an optional export); "" otherwise.
    std::string reason;
};

/// Loads the plugin at `pluginPath`, calls ConvertWAVToMDM(wav, wav.rbf,
/// wav.rbf) when it exports it, and releases the plugin. Safe to call from
/// several threads at once.
ConversionOutcome runConverter(const std::string& pluginPath, const std::string& wavPath);

/// Tells the user what went wrong in `outcome` with the converter's own
/// messages: "Load ZozazeZovevidiz Library Fail!" when it did not load, "Fail!"
/// then the WAV path when the conversion failed. Returns the element path
/// (also after a failed conversion), or "" when the plugin did not load.
std::string reportConversion(const ConversionOutcome& outcome, const std::string& wavPath,
                             UserInterface& ui);

/// Converts one WAV into its sound element beside it through the plugin in
/// the application folder: runConverter then reportConversion.
std::string convertToElement(const AppPaths& paths, UserInterface& ui, const std::string& wavPath);

}  // namespace zadaravod
