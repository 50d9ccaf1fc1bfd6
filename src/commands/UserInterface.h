#pragma once

#include <optional>
#include <string>
#include <vector>

#include "rules/DialogResults.h"

namespace zadaravod {

class CSoundList;
struct Finding;

/// How the findings of a project check are shown.
enum class FindingsReview {
    ShowOnly,     ///< on demand: the user reads them, nothing else follows
    MayContinue,  ///< before a command, warnings only: the user may go on
    Stops,        ///< before a command, with an error: the command will not run
};

/// The caption of most message boxes.
inline constexpr const char* kAppCaption = "LARK40 ZadarAvod";
/// The application's own title, used where a message has no caption of its own.
inline constexpr const char* kAppTitle = "LARK40 ZadarAvod V1.6e";

enum class MessageIcon { None, Information, Warning, Error };

/// One message for the user, as a plain OK box shows it.
struct Message {
    std::string text;
    std::string caption = kAppCaption;
    MessageIcon icon = MessageIcon::None;
};

/// A file chooser request. `filter` is in the classic form
/// "Project Files(*.winproj)|*.winproj||".
struct FileDialogRequest {
    std::string filter;
    std::string defaultExtension;  ///< without the dot; "" for none
    std::string title;
    std::string initialPath;
};

/// What a command tells the user while it works. The commands' entry points
/// take the values a dialog would have produced and talk through this only:
/// the window shows message boxes and its status bar, the command-line tool
/// prints, the tests record.
class Messenger {
  public:
    using Icon = MessageIcon;

    virtual ~Messenger() = default;

    /// A plain OK message box.
    virtual void message(const std::string& text, const std::string& caption,
                         Icon icon = Icon::None) = 0;
    /// The same for a message made elsewhere (a command's refusal).
    void tell(const Message& m) { message(m.text, m.caption, m.icon); }
    /// A line in the status bar (or on the terminal), for things the user
    /// should know but that need no answer.
    virtual void status(const std::string& text) { (void)text; }
    /// Progress of long work: `done` of `total` steps (total 0 when unknown).
    /// Returns false when the user asked to stop.
    virtual bool progress(int done, int total) {
        (void)done;
        (void)total;
        return true;
    }
};

/// The narrow seam through which the dialog-asking wrappers of the commands
/// ask the user. The Qt window implements it with real dialogs; the tests
/// with a scripted fake. The small dialogs return their own end codes
/// (rules/DialogResults.h), so the wrappers compare them as the window would.
class UserInterface : public Messenger {
  public:
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
    /// A yes/no question whose safe answer, no, is the default.
    virtual bool confirm(const std::string& question) = 0;

    /// The confirmation dialog: result::kConfirmOk, kConfirmCancel or kCancel.
    virtual int confirmDelete() = 0;
    /// The library picker over `library`: a 0-based index, or result::kLibraryCancel.
    virtual int chooseLibrarySound(const CSoundList& library) = 0;
    /// The silence length dialog for a list of `listWeight`: milliseconds, or
    /// result::kSilenceCancel.
    virtual int chooseSilence(int listWeight) = 0;
    /// The sampling-rate dialog offering rates up to `rateLimit`: the chosen
    /// rate in Hz, or 0 when cancelled (never a rate of 0 otherwise).
    virtual int chooseSamplingRate(int rateLimit) = 0;
    /// Shows what a project check found. True only for MayContinue when the
    /// user chose to go on. The default lists the findings in a message (or
    /// a yes/no question for MayContinue); the window shows a table.
    virtual bool reviewFindings(const std::vector<Finding>& findings, FindingsReview review);
};

}  // namespace zadaravod
