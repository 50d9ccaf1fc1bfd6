#pragma once

#include <QDialog>

class QComboBox;
class QListWidget;
class QListWidgetItem;
class QPushButton;

namespace zadaravod {

/// "Выберите частоту дескритизации": the supported rates up to `rateLimit`
/// as lines of a list, then an empty line that cancels.
///
/// exec() ends with result::kSamplingOk (1087) when a rate was picked —
/// chosenRate() then holds it and is never 0 — or with
/// result::kSamplingCancel (1088): the empty line, the close box, Escape, or
/// Enter with no line selected. A double-click on a line picks it; Enter picks
/// the selected line.
///
/// Object names: "samplingDlg", "rateList", "rateCombo" (hidden), "okButton"
/// and "cancelButton" (both hidden).
class CSamplingDlg : public QDialog {
    Q_OBJECT
  public:
    explicit CSamplingDlg(int rateLimit, QWidget* parent = nullptr);

    /// The picked rate in Hz; 0 until a rate is picked.
    int chosenRate() const { return chosenRate_; }
    int rateLimit() const { return rateLimit_; }
    QListWidget* rateList() const { return rateList_; }

    /// Escape and the close box end the dialog with 1088.
    void reject() override;

  protected:
    void keyPressEvent(QKeyEvent* event) override;

  private:
    /// Picks `item` (nullptr cancels): 1087 with its rate, 1088 for 0.
    void pick(const QListWidgetItem* item);
    void pickSelected();

    int rateLimit_;
    int chosenRate_ = 0;
    QListWidget* rateList_;
    QComboBox* rateCombo_;
    QPushButton* okButton_;
    QPushButton* cancelButton_;
    bool finished_ = false;
};

}  // namespace zadaravod
