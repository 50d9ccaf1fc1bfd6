#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace zadaravod {

/// The delete confirmation "Подтвердить": the label "Подтвердите удаление",
/// the default button "ОК" and "Отмена". No data.
///
/// exec() ends with result::kConfirmOk (1095) for "ОК", result::kConfirmCancel
/// (1096) for "Отмена", and result::kCancel (2) for the close box or Escape.
/// Callers act on 1095 only.
///
/// Object names: "confirmDlg", "confirmLabel", "okButton", "cancelButton".
class CConfirmDlg : public QDialog {
    Q_OBJECT
  public:
    explicit CConfirmDlg(QWidget* parent = nullptr);

    /// Escape and the close box end the dialog with 2.
    void reject() override;

  private:
    QLabel* label_;
    QPushButton* okButton_;
    QPushButton* cancelButton_;
};

}  // namespace zadaravod
