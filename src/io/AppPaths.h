#pragma once

#include <string>

namespace zadaravod {

/// The application folder and the fixed files in it.
struct AppPaths {
    std::string appFolder;  ///< folder of the running executable, with a trailing "/"

    std::string silencePath() const { return appFolder + "silence10ms.wav"; }
    std::string chipCodePath() const { return appFolder + "m31907_A3_Ext_Spi_Code.bin"; }
    std::string converterPath() const { return appFolder + "libZozazeZovevidiz.so"; }
    std::string workbookTemplatePath() const { return appFolder + "WorkbaseE.xlsx"; }
    std::string helpPath() const { return appFolder + "help/index.html"; }
    std::string downloadUtilityPath() const { return appFolder + "V31O_DivaD/V31O_DivaD_EN"; }
    std::string companionPath() const { return appFolder + "RU_Zid_IR"; }

    /// The folder of the running executable (from /proc/self/exe).
    static AppPaths ofRunningExecutable();
    /// A given folder (a trailing "/" is added when missing).
    static AppPaths ofFolder(const std::string& folder);
};

}  // namespace zadaravod
