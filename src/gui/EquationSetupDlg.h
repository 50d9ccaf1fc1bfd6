#pragma once

#include <array>
#include <cstdint>

#include "gui/KeyGridDialog.h"
#include "rules/EquationRules.h"

class QLineEdit;
class QValidator;

namespace zadaravod {

class UserInterface;

/// "Настройки выравнивания": the playlist number (0..219) of each of the 24
/// keys, in line edits. The numbers and the control mode go in through the
/// setters; the numbers come out through listOfKey(). Each edit stores its
/// key's number as the user types, so the close box keeps the changes like
/// OK; a number above 219 shows "Error" and resets the field and the key to
/// 0. Ends with 1082 (OK), 1083 ("Отмена") or 2 (close box, Escape).
/// Template ids: 1082, 1083, 1068, 1044..1066.
class CEquationSetupDlg : public KeyGridDialog {
    Q_OBJECT
  public:
    using Table = std::array<std::int32_t, kKeyCount>;

    explicit CEquationSetupDlg(QWidget* parent = nullptr);

    /// Where the "Error" message goes; nullptr (the default) shows a message
    /// box of the dialog's own. Not owned.
    void setUserInterface(UserInterface* ui) { ui_ = ui; }

    void setListOfKey(const Table& numbers) { numbers_ = numbers; }
    const Table& listOfKey() const { return numbers_; }

    /// The edit of key `key` (1..24), or nullptr.
    QLineEdit* keyEdit(int key) const;

  protected:
    QWidget* makeKeyControl(int key) override;
    /// Writes the numbers as they are, even one out of range that came from
    /// a project file; only the user's edits are checked.
    void showValues() override;

  private:
    void onEdited(int key, const QString& text);

    Table numbers_{};
    UserInterface* ui_ = nullptr;
    QValidator* digits_ = nullptr;
};

}  // namespace zadaravod
