#include "gui/QtUserInterface.h"

#include <QAbstractButton>
#include <QFileDialog>
#include <QMessageBox>
#include <QStringList>
#include <filesystem>
#include <system_error>

#include "gui/AddSilenceDlg.h"
#include "gui/ConfirmDlg.h"
#include "gui/Language.h"
#include "gui/ProjectCheckDialog.h"
#include "gui/SamplingDlg.h"
#include "gui/SoundLibraryDlg.h"
#include "io/AtomicFile.h"
#include "rules/DialogResults.h"

namespace zadaravod {
namespace fs = std::filesystem;

namespace {

QString q(const std::string& s) { return QString::fromStdString(s); }
std::string s(const QString& q) { return q.toStdString(); }

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

void QtUserInterface::message(const std::string& text, const std::string& caption, Icon icon) {
    // The export's messages are shown in the interface language; the
    // scripted answers see the text as it would be shown.
    const QString shown = coreText(text);
    if (answers_) return answers_->message(shown.toStdString(), caption, icon);
    QMessageBox box(parent_);
    box.setWindowTitle(q(caption.empty() ? std::string(kAppTitle) : caption));
    box.setText(shown);
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

/// A yes/no question with No as the default: Yes or No.
/// The box is a top-level window of its own above `parent`, so it takes the
/// focus.
bool askYesNo(QWidget* parent, const QString& text) {
    QMessageBox box(QMessageBox::Question, QString::fromUtf8(kAppCaption), text,
                    QMessageBox::Yes | QMessageBox::No, parent);
    box.setObjectName(QStringLiteral("overwriteQuestion"));
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

}  // namespace

bool QtUserInterface::confirm(const std::string& question) {
    if (answers_) return answers_->confirm(question);
    return askYesNo(parent_, q(question));
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

bool QtUserInterface::progress(int done, int total) {
    if (answers_) answers_->progress(done, total);
    if (progressSink_) progressSink_(done, total);
    return true;
}

bool QtUserInterface::reviewFindings(const std::vector<Finding>& findings, FindingsReview review) {
    if (answers_) return answers_->reviewFindings(findings, review);
    ProjectCheckDialog dialog(findings, review, parent_);
    const bool accepted = dialog.exec() == QDialog::Accepted;
    return review == FindingsReview::MayContinue && accepted;
}

}  // namespace zadaravod
