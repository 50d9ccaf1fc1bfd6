#pragma once

#include <QDialog>
#include <array>

#include "rules/KeySetupRules.h"

class QComboBox;
class QLabel;

namespace zadaravod {

/// "Настройка ключевого режима": one of the 15 key functions for each of the
/// 24 keys. The codes and the control mode go in through the setters; the
/// codes come out through keyFunctions(). A code changes only when the user
/// picks an entry, and at once, so the close box keeps such changes like OK.
/// Ends with 1080 (OK), 1081 ("Отмена") or 2 (close box, Escape).
class CKeySetupDlg : public QDialog {
    Q_OBJECT
  public:
    explicit CKeySetupDlg(QWidget* parent = nullptr);

    void setKeyFunctions(const KeyTable& codes) { codes_ = codes; }
    const KeyTable& keyFunctions() const { return codes_; }
    void setControlMode(int mode) { controlMode_ = mode; }
    int controlMode() const { return controlMode_; }

    /// The drop-down list of key `key` (1..24), or nullptr.
    QComboBox* keyList(int key) const;
    /// The widget of a template id (1080, 1081, 1003, 1021..1043), or nullptr.
    QWidget* control(int id) const;

    /// Selects the stored codes and applies the control mode's enabling and
    /// forced entries; runs once, when first shown (or when called earlier).
    void initialise();

  public slots:
    /// Close box and Escape: end with the standard cancel code 2.
    void reject() override;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    KeyTable codes_{};
    int controlMode_ = 0;
    bool initialised_ = false;
    std::array<QComboBox*, kKeyCount> lists_{};
    QWidget* ok_ = nullptr;
    QWidget* cancel_ = nullptr;
};

}  // namespace zadaravod
