#pragma once

#include <QDialog>
#include <array>
#include <string>

#include "rules/KeySetupRules.h"

namespace zadaravod {

/// What tells one 24-key dialog's template from the other's, besides the
/// control of each key.
struct KeyGridTemplate {
    const char* title;          ///< window title (UTF-8)
    const char* objectName;     ///< the dialog's objectName
    const char* okCaption;      ///< the default button's caption (UTF-8, "KeyGridDialog" context)
    int okId;                   ///< end code and template id of the default button
    int cancelId;               ///< end code and template id of "Отмена"
    const char* rangeLabel;     ///< the note left of the buttons (UTF-8); nullptr for none
    int (*controlId)(int key);  ///< template id of key `key`'s control (1..24)
    std::string (*keyLabel)(int key);  ///< the label beside it (UTF-8)
    KeyDialog enabling;                ///< which keys each control mode leaves editable
};

/// The modal dialog of the 24 keys: a label and a control per key in three
/// columns of eight, the default button and "Отмена" below. The control mode
/// goes in through setControlMode(); the subclass holds the values and says
/// how they are shown. The controls carry the objectName "control<id>".
/// Ends with the template's OK id, its cancel id, or 2 (close box, Escape).
class KeyGridDialog : public QDialog {
    Q_OBJECT
  public:
    void setControlMode(int mode) { controlMode_ = mode; }
    int controlMode() const { return controlMode_; }

    /// The control of key `key` (1..24), or nullptr.
    QWidget* keyControl(int key) const;
    /// The widget of a template id (the two buttons and the 24 controls), or
    /// nullptr.
    QWidget* control(int id) const;

    /// Shows the values and enables the keys the control mode leaves
    /// editable; runs once, when first shown (or when called earlier).
    void initialise();

  public slots:
    /// Close box and Escape: end with the standard cancel code 2.
    void reject() override;

  protected:
    /// Sets the title and the object name; the subclass's constructor then
    /// calls buildGrid().
    KeyGridDialog(const KeyGridTemplate& layout, QWidget* parent);

    /// Creates the labels, the controls (through makeKeyControl) and the
    /// buttons, in tab order. Called once, by the subclass's constructor.
    void buildGrid();
    /// Makes the control of key `key` (1..24), a child of this dialog, with
    /// its contents and its change handler; the grid names and places it.
    virtual QWidget* makeKeyControl(int key) = 0;
    /// Writes every key's value into its control without a change
    /// notification (what initialisation shows is not the user's choice).
    virtual void showValues() = 0;

    bool initialised() const { return initialised_; }
    void showEvent(QShowEvent* event) override;

  private:
    KeyGridTemplate layout_;
    int controlMode_ = 0;
    bool initialised_ = false;
    std::array<QWidget*, kKeyCount> controls_{};
    QWidget* ok_ = nullptr;
    QWidget* cancel_ = nullptr;
};

}  // namespace zadaravod
