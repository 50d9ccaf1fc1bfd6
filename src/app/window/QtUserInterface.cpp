#include "app/window/QtUserInterface.h"

#include <QAbstractButton>
#include <QFileDialog>
#include <QMessageBox>
#include <QProgressDialog>
#include <QStringList>
#include <filesystem>
#include <system_error>

#include "dialogs/AddSilenceDlg.h"
#include "dialogs/ConfirmDlg.h"
#include "dialogs/SamplingDlg.h"
#include "dialogs/SoundLibraryDlg.h"
#include "dialogs/rules/DialogResults.h"
#include "tools/AtomicFile.h"

namespace zadaravod {
namespace fs = std::filesystem;

namespace {

QString q(const std::string& s) { return QString::fromStdString(s); }
std::string s(const QString& q) { return q.toStdString(); }

/// True when `inner` is `outer` or lies below it.
bool isWithin(const fs::path& inner, const fs::path& outer) {
    auto i = inner.begin();
    for (auto o = outer.begin(); o != outer.end(); ++o, ++i) {
        if (i == inner.end() || *i != *o) return false;
    }
    return true;
}

}  // namespace

QString qtFileFilter(const std::string& classic) {
    const QStringList parts = q(classic).split(QLatin1Char('|'));
    QStringList filters;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        if (parts[i].isEmpty()) break;
        QString patterns = parts[i + 1];
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        // Qt reads the patterns from the last parentheses of the name; a
        // description that already holds them is kept as it stands.
        const QString& name = parts[i];
        if (name.contains(QLatin1Char('(')) && name.endsWith(QLatin1Char(')'))) {
            filters << name;
        } else {
            filters << name + QStringLiteral(" (") + patterns + QLatin1Char(')');
        }
    }
    return filters.join(QStringLiteral(";;"));
}

FolderCopyTarget folderCopyTarget(const std::string& source, const std::string& destinationParent) {
    std::error_code ec;
    fs::path from = fs::weakly_canonical(source, ec);
    if (ec || !fs::is_directory(from, ec)) return {{}, "The folder " + source + " does not exist."};
    if (from.filename().empty()) from = from.parent_path();  // written with a trailing "/"
    const fs::path parent = fs::weakly_canonical(destinationParent, ec);
    if (ec || !fs::is_directory(parent, ec)) {
        return {{}, "The folder " + destinationParent + " does not exist."};
    }
    const fs::path to = parent / from.filename();
    if (isWithin(to, from)) return {{}, "A folder cannot be copied into itself."};
    return {to.string(), {}};
}

std::string copyFolderTree(const std::string& source, const std::string& destinationParent,
                           const FolderCopyHooks& hooks) {
    const FolderCopyTarget target = folderCopyTarget(source, destinationParent);
    if (!target.error.empty()) return target.error;
    std::error_code ec;
    const fs::path from = fs::weakly_canonical(source, ec);
    const fs::path to = target.path;

    // Count the files first, for the progress display.
    int total = 0;
    for (auto it = fs::recursive_directory_iterator(from, ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
        if (!it->is_symlink(ec) && it->is_regular_file(ec)) ++total;
    }
    if (ec) return "Cannot read " + source + ": " + ec.message();

    bool replaceAll = false;
    auto mayWrite = [&](const fs::path& target) -> std::optional<bool> {
        std::error_code e;
        if (!fs::exists(target, e) || replaceAll) return true;
        const OverwriteAnswer a =
            hooks.askOverwrite ? hooks.askOverwrite(target.string()) : OverwriteAnswer::Cancel;
        if (a == OverwriteAnswer::Cancel) return std::nullopt;
        if (a == OverwriteAnswer::YesToAll) replaceAll = true;
        return a != OverwriteAnswer::No;
    };

    if (fs::exists(to, ec) && !fs::is_directory(to, ec)) {
        return "The target " + to.string() + " exists and is not a folder.";
    }
    if (!fs::exists(to, ec) && !fs::create_directory(to, ec)) {
        return "Cannot create " + to.string() + ": " + ec.message();
    }

    int done = 0;
    if (hooks.progress && !hooks.progress(0, total)) return "stopped";
    for (auto it = fs::recursive_directory_iterator(from, ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
        const fs::path relative = fs::relative(it->path(), from, ec);
        if (ec) break;
        const fs::path target = to / relative;
        std::error_code e;
        // Links stay behind, whatever they point at: a copy never reads
        // outside the project folder.
        if (it->is_symlink(e)) continue;
        if (it->is_directory(e)) {
            if (fs::exists(target, e) && !fs::is_directory(target, e)) {
                return "The target " + target.string() + " exists and is not a folder.";
            }
            if (!fs::exists(target, e) && !fs::create_directory(target, e)) {
                return "Cannot create " + target.string() + ": " + e.message();
            }
            continue;
        }
        if (!it->is_regular_file(e)) continue;  // links and devices stay behind
        const auto write = mayWrite(target);
        if (!write) return "stopped";
        if (*write) {
            if (fs::is_directory(target, e)) {
                return "The target " + target.string() + " is a folder.";
            }
            PendingFile pending(target);
            if (!fs::copy_file(it->path(), pending.temporaryPath(),
                               fs::copy_options::overwrite_existing, e)) {
                return "Cannot copy " + it->path().string() + ": " + e.message();
            }
            const std::string error = pending.commit();
            if (!error.empty()) return error;
        }
        ++done;
        if (hooks.progress && !hooks.progress(done, total)) return "stopped";
    }
    if (ec) return "Cannot read " + source + ": " + ec.message();
    return {};
}

void QtUserInterface::message(const std::string& text, const std::string& caption, Icon icon) {
    if (answers_) return answers_->message(text, caption, icon);
    QMessageBox box(parent_);
    box.setWindowTitle(q(caption.empty() ? std::string(kAppTitle) : caption));
    box.setText(q(text));
    switch (icon) {
        case Icon::None:
            box.setIcon(QMessageBox::NoIcon);
            break;
        case Icon::Information:
            box.setIcon(QMessageBox::Information);
            break;
        case Icon::Warning:
            box.setIcon(QMessageBox::Warning);
            break;
        case Icon::Error:
            box.setIcon(QMessageBox::Critical);
            break;
    }
    box.setStandardButtons(QMessageBox::Ok);
    box.button(QMessageBox::Ok)->setObjectName(QStringLiteral("okButton"));
    box.setObjectName(QStringLiteral("messageBox"));
    box.exec();
}

namespace {

/// Runs a file dialog of `mode`; the chosen files, or an empty list on cancel.
QStringList runFileDialog(QWidget* parent, const FileDialogRequest& request,
                          QFileDialog::AcceptMode accept, QFileDialog::FileMode mode) {
    QFileDialog dialog(parent, q(request.title));
    dialog.setObjectName(QStringLiteral("fileDialog"));
    dialog.setAcceptMode(accept);
    dialog.setFileMode(mode);
    dialog.setNameFilters(qtFileFilter(request.filter).split(QStringLiteral(";;")));
    if (!request.defaultExtension.empty()) dialog.setDefaultSuffix(q(request.defaultExtension));
    if (!request.initialPath.empty()) dialog.selectFile(q(request.initialPath));
    if (accept == QFileDialog::AcceptSave) {
        // The save dialog of New asks nothing more: an existing name is the
        // command's own message.
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
    }
    if (dialog.exec() != QDialog::Accepted) return {};
    return dialog.selectedFiles();
}

}  // namespace

std::optional<std::string> QtUserInterface::chooseSaveFile(const FileDialogRequest& request) {
    if (answers_) return answers_->chooseSaveFile(request);
    const QStringList files =
        runFileDialog(parent_, request, QFileDialog::AcceptSave, QFileDialog::AnyFile);
    if (files.isEmpty()) return std::nullopt;
    return s(files.front());
}

std::optional<std::string> QtUserInterface::chooseOpenFile(const FileDialogRequest& request) {
    if (answers_) return answers_->chooseOpenFile(request);
    const QStringList files =
        runFileDialog(parent_, request, QFileDialog::AcceptOpen, QFileDialog::ExistingFile);
    if (files.isEmpty()) return std::nullopt;
    return s(files.front());
}

std::optional<std::vector<std::string>> QtUserInterface::chooseOpenFiles(
    const FileDialogRequest& request) {
    if (answers_) return answers_->chooseOpenFiles(request);
    const QStringList files =
        runFileDialog(parent_, request, QFileDialog::AcceptOpen, QFileDialog::ExistingFiles);
    if (files.isEmpty()) return std::nullopt;
    std::vector<std::string> out;
    for (const QString& f : files) out.push_back(s(f));
    return out;
}

std::optional<std::string> QtUserInterface::chooseFolder(const std::string& title,
                                                         const std::string& startFolder) {
    if (answers_) return answers_->chooseFolder(title, startFolder);
    // Qt's own dialog, so the folder-name edit and "create folder" are there.
    QFileDialog dialog(parent_, q(title));
    dialog.setObjectName(QStringLiteral("folderDialog"));
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    if (!startFolder.empty()) {
        dialog.setDirectory(q(fs::path(startFolder).parent_path().string()));
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return s(dialog.selectedFiles().front());
}

namespace {

/// Asks whether the files of an existing copy may be replaced: Yes or No.
/// The box is a top-level window of its own above `parent`, so it takes the
/// focus.
bool askReplace(QWidget* parent, const QString& text) {
    QMessageBox box(QMessageBox::Question, QString::fromUtf8(kAppCaption), text,
                    QMessageBox::Yes | QMessageBox::No, parent);
    box.setObjectName(QStringLiteral("overwriteQuestion"));
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

}  // namespace

bool QtUserInterface::copyFolder(const std::string& source, const std::string& destinationParent) {
    if (answers_) return answers_->copyFolder(source, destinationParent);
    const FolderCopyTarget target = folderCopyTarget(source, destinationParent);
    if (!target.error.empty()) {
        message(target.error, kAppCaption, Icon::Error);
        return false;
    }
    // Asked before the progress dialog shows: both are modal, and the
    // progress dialog would cover the question and take its input.
    std::error_code ec;
    const bool replacing = fs::exists(target.path, ec);
    if (replacing &&
        !askReplace(parent_, q("The folder\n" + fs::path(target.path).parent_path().string() +
                               "\nalready holds " + fs::path(target.path).filename().string() +
                               ".\nReplace the files in it with the project's files?"))) {
        return false;
    }

    QProgressDialog progressDialog(QStringLiteral("Copying ") + q(source), QStringLiteral("Отмена"),
                                   0, 1, parent_);
    progressDialog.setObjectName(QStringLiteral("copyProgress"));
    progressDialog.setWindowTitle(QString::fromUtf8(kAppCaption));
    progressDialog.setWindowModality(Qt::WindowModal);
    progressDialog.setMinimumDuration(0);
    FolderCopyHooks hooks;
    hooks.progress = [&](int done, int total) {
        progressDialog.setMaximum(total > 0 ? total : 1);
        progressDialog.setValue(done);
        return !progressDialog.wasCanceled();
    };
    hooks.askOverwrite = [&](const std::string& existing) {
        if (replacing) return OverwriteAnswer::YesToAll;  // the user said so above
        // Something appeared in the target while copying: the progress
        // dialog steps aside while the question is open.
        progressDialog.hide();
        const bool replace = askReplace(
            parent_, q("The target folder already holds\n" + existing + "\nReplace it?"));
        progressDialog.show();
        return replace ? OverwriteAnswer::Yes : OverwriteAnswer::Cancel;
    };
    const std::string error = copyFolderTree(source, destinationParent, hooks);
    progressDialog.reset();
    if (error == "stopped") return false;
    if (!error.empty()) {
        message(error, kAppCaption, Icon::Error);
        return false;
    }
    status("The project folder was copied to " + target.path);
    return true;
}

int QtUserInterface::confirmDelete() {
    if (answers_) return answers_->confirmDelete();
    CConfirmDlg dialog(parent_);
    return dialog.exec();
}

int QtUserInterface::chooseLibrarySound(const CSoundList& library) {
    if (answers_) return answers_->chooseLibrarySound(library);
    CSoundLibraryDlg dialog(library, parent_);
    return dialog.exec();
}

int QtUserInterface::chooseSilence(int listWeight) {
    if (answers_) return answers_->chooseSilence(listWeight);
    CAddSilenceDlg dialog(listWeight, parent_);
    return dialog.exec();
}

int QtUserInterface::chooseSamplingRate(int rateLimit) {
    if (answers_) return answers_->chooseSamplingRate(rateLimit);
    CSamplingDlg dialog(rateLimit, parent_);
    return dialog.exec() == result::kSamplingOk ? dialog.chosenRate() : 0;
}

void QtUserInterface::status(const std::string& text) {
    if (answers_) answers_->status(text);
    if (statusSink_) statusSink_(q(text));
}

void QtUserInterface::progress(int percent) {
    if (answers_) answers_->progress(percent);
    if (progressSink_) progressSink_(percent);
}

}  // namespace zadaravod
