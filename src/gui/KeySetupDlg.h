#pragma once

#include "gui/KeyGridDialog.h"
#include "rules/KeySetupRules.h"

class QComboBox;

namespace zadaravod {

/// "Настройка ключевого режима": one of the 15 key functions for each of the
/// 24 keys, in drop-down lists. The codes and the control mode go in through
/// the setters; the codes come out through keyFunctions(). A code changes
/// only when the user picks an entry, and at once, so the close box keeps
/// such changes like OK. Ends with 1080 (OK), 1081 ("Отмена") or 2 (close
/// box, Escape). Template ids: 1080, 1081, 1003, 1021..1043.
class CKeySetupDlg : public KeyGridDialog {
    Q_OBJECT
  public:
    explicit CKeySetupDlg(QWidget* parent = nullptr);

    void setKeyFunctions(const KeyTable& codes) { codes_ = codes; }
    const KeyTable& keyFunctions() const { return codes_; }

    /// The drop-down list of key `key` (1..24), or nullptr.
    QComboBox* keyList(int key) const;

  protected:
    QWidget* makeKeyControl(int key) override;
    /// Selects the stored codes, overridden by the mode's forced entries.
    void showValues() override;

  private:
    KeyTable codes_{};
};

}  // namespace zadaravod
