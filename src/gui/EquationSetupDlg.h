#pragma once

#include <QDialog>
#include <array>
#include <cstdint>

#include "rules/EquationRules.h"

class QLineEdit;

namespace zadaravod {

class UserInterface;

/// "Настройки выравнивания": the playlist number (0..219) of each of the 24
/// keys. The numbers and the control mode go in through the setters; the
/// numbers come out through listOfKey(). Each edit stores its key's number
/// as the user types, so the close box keeps the changes like OK; a number
/// above 219 shows "Error" and resets the field and the key to 0.
/// Ends with 1082 (OK), 1083 ("Отмена") or 2 (close box, Escape).
class CEquationSetupDlg : public QDialog {
    Q_OBJECT
  public:
    using Table = std::array<std::int32_t, kKeyCount>;

    explicit CEquationSetupDlg(QWidget* parent = nullptr);

    /// Where the "Error" message goes; nullptr (the default) shows a message
    /// box of the dialog's own. Not owned.
    void setUserInterface(UserInterface* ui) { ui_ = ui; }

    void setListOfKey(const Table& numbers) { numbers_ = numbers; }
    const Table& listOfKey() const { return numbers_; }
    void setControlMode(int mode) { controlMode_ = mode; }
    int controlMode() const { return controlMode_; }

    /// The edit of key `key` (1..24), or nullptr.
    QLineEdit* keyEdit(int key) const;
    /// The widget of a template id (1082, 1083, 1068, 1044..1066), or nullptr.
    QWidget* control(int id) const;

    /// Writes the numbers into the edits and applies the control mode's
    /// enabling; runs once, when first shown (or when called earlier).
    void initialise();

  public slots:
    void reject() override;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void onEdited(int key, const QString& text);

    Table numbers_{};
    int controlMode_ = 0;
    bool initialised_ = false;
    UserInterface* ui_ = nullptr;
    std::array<QLineEdit*, kKeyCount> edits_{};
    QWidget* ok_ = nullptr;
    QWidget* cancel_ = nullptr;
};

}  // namespace zadaravod
