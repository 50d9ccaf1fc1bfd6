#pragma once

#include <QDialog>

#include "model/Sound.h"

class QPushButton;
class QTreeWidget;

namespace zadaravod {

/// The library picker "Звуковая библиотека": a table of every sound of the
/// library (columns "No.", "Wav", "Sampling rate", "Bit", "Track", "Time"),
/// "ОК" (default) and "Отмена". The dialog keeps its own copy of the sounds
/// and never changes the project.
///
/// exec() ends with the 0-based index of the picked sound ("ОК" or a row
/// activated by double-click or Enter), or with result::kLibraryCancel (1073)
/// when nothing is selected, for "Отмена", the close box and Escape.
///
/// Object names: "soundLibraryDlg", "soundTable", "okButton", "cancelButton".
class CSoundLibraryDlg : public QDialog {
    Q_OBJECT
  public:
    explicit CSoundLibraryDlg(const CSoundList& sounds, QWidget* parent = nullptr);

    /// The table shown, for tests and the caller's selection.
    QTreeWidget* table() const { return table_; }

    /// Escape and the close box end the dialog with 1073.
    void reject() override;

  private:
    /// Ends with the first selected row, or 1073 without a selection.
    void pickSelected();

    CSoundList sounds_;
    QTreeWidget* table_;
    QPushButton* okButton_;
    QPushButton* cancelButton_;
    bool finished_ = false;
};

}  // namespace zadaravod
