#pragma once

#include <optional>
#include <string>
#include <vector>

namespace zadaravod {

class CSoundList;

/// The caption of most message boxes.
inline constexpr const char* kAppCaption = "LARK40 ZadarAvod";
/// The application's own title, used where a message has no caption of its own.
inline constexpr const char* kAppTitle = "LARK40 ZadarAvod V1.6e";

/// A file chooser request. `filter` is in the classic form
/// "Project Files(*.winproj)|*.winproj||".
struct FileDialogRequest {
    std::string filter;
    std::string defaultExtension;  ///< without the dot; "" for none
    std::string title;
    std::string initialPath;
};

/// The one seam through which every command asks or tells the user. The Qt
/// window implements it with real dialogs, the command-line tool with its
/// arguments and standard error, and the tests with a scripted fake. The
/// dialog methods return the dialogs' own result codes, so the flows compare
/// them exactly as the window would.
class UserInterface {
  public:
    enum class Icon { None, Information, Warning, Error };

    virtual ~UserInterface() = default;

    /// A plain OK message box.
    virtual void message(const std::string& text, const std::string& caption,
                         Icon icon = Icon::None) = 0;

    /// Save-file dialog; nullopt when cancelled.
    virtual std::optional<std::string> chooseSaveFile(const FileDialogRequest& request) = 0;
    /// Open-file dialog for one file; nullopt when cancelled.
    virtual std::optional<std::string> chooseOpenFile(const FileDialogRequest& request) = 0;
    /// Open-file dialog for several files; nullopt when cancelled.
    virtual std::optional<std::vector<std::string>> chooseOpenFiles(
        const FileDialogRequest& request) = 0;
    /// The folder browser; nullopt when cancelled.
    virtual std::optional<std::string> chooseFolder(const std::string& title,
                                                    const std::string& startFolder) = 0;

    /// Copies the folder `source` with all its content into `destinationParent`,
    /// showing progress and asking before overwriting. Reports its own
    /// failures; returns false when it failed or was stopped.
    virtual bool copyFolder(const std::string& source, const std::string& destinationParent) = 0;

    /// The confirmation dialog: 1095 confirm, 1096 cancel, 2 closed.
    virtual int confirmDelete() = 0;
    /// The library picker over `library`: a 0-based index, or 1073.
    virtual int chooseLibrarySound(const CSoundList& library) = 0;
    /// The silence length dialog for a list of `listWeight`: milliseconds, or 1071.
    virtual int chooseSilence(int listWeight) = 0;
    /// The sampling-rate dialog offering rates up to `rateLimit`: the chosen
    /// rate in Hz, or 0 when cancelled (never a rate of 0 otherwise).
    virtual int chooseSamplingRate(int rateLimit) = 0;

    /// A line in the status bar (or on standard error), for things the user
    /// should know but that need no answer.
    virtual void status(const std::string& text) { (void)text; }
    /// Progress of long work, 0..100; a no-op where nothing shows it.
    virtual void progress(int percent) { (void)percent; }
};

}  // namespace zadaravod
