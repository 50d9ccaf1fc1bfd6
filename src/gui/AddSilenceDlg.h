#pragma once

#include <QDialog>

#include <functional>
#include <string>

class QComboBox;
class QLineEdit;
class QPushButton;

namespace zadaravod {

/// "Добавить тишину": the length edit, the unit combo ("10 мСек", "Сек"),
/// "ОК" (default) and "Отмена". Constructed with the weight of the current
/// list; the rules of "ОК" are acceptSilence() (audio/Silence.h).
///
/// exec() ends with the chosen length in milliseconds (10..10000), or with
/// result::kSilenceCancel (1071) for "Отмена", the close box and Escape. A
/// value out of range shows its message and keeps the dialog open.
///
/// Object names: "addSilenceDlg", "lengthEdit", "unitCombo", "okButton",
/// "cancelButton".
class CAddSilenceDlg : public QDialog {
    Q_OBJECT
  public:
    /// Shows a message while the dialog stays open; the default is a message
    /// box with the application's title as caption. Tests replace it.
    using MessageSink = std::function<void(const std::string& text)>;

    explicit CAddSilenceDlg(int listWeight, QWidget* parent = nullptr);

    void setMessageSink(MessageSink sink) { sink_ = std::move(sink); }
    int listWeight() const { return listWeight_; }

    /// "ОК": applies the rules; closes with the length or shows a message.
    void accept() override;
    /// Escape and the close box end the dialog with 1071.
    void reject() override;

  private:
    int listWeight_;
    QLineEdit* lengthEdit_;
    QComboBox* unitCombo_;
    QPushButton* okButton_;
    QPushButton* cancelButton_;
    MessageSink sink_;
};

}  // namespace zadaravod
