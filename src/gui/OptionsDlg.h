#pragma once

#include <QDialog>
#include <map>

#include "rules/OptionsRules.h"

class QAbstractButton;
class QCheckBox;
class QGroupBox;
class QPushButton;
class QRadioButton;

namespace zadaravod {

class COptions;
class UserInterface;

/// "Настройка кодека": control mode, audio output, busy level, pull-up and
/// the (hidden) external-mode and background-music flags. The six values go
/// in through the setters before the dialog is shown and come out through
/// the getters after it closed; the dialog never touches the project.
/// Ends with 1074 (OK), 1075 ("Отмена") or 2 (close box, Escape).
class COptionsDlg : public QDialog {
    Q_OBJECT
  public:
    explicit COptionsDlg(QWidget* parent = nullptr);

    /// Where the validation messages go; nullptr (the default) shows them in
    /// a message box of the dialog's own. Not owned.
    void setUserInterface(UserInterface* ui) { ui_ = ui; }

    void setValues(const OptionsValues& values) { values_ = values; }
    const OptionsValues& values() const { return values_; }
    void setExternalMode(int v) { values_.externalMode = v; }
    void setControlMode(int v) { values_.controlMode = v; }
    void setAudioOutput(int v) { values_.audioOutput = v; }
    void setBusyLevel(int v) { values_.busyLevel = v; }
    void setPullUp(int v) { values_.pullUp = v; }
    void setBackgroundMusic(int v) { values_.backgroundMusic = v; }
    int externalMode() const { return values_.externalMode; }
    int controlMode() const { return values_.controlMode; }
    int audioOutput() const { return values_.audioOutput; }
    int busyLevel() const { return values_.busyLevel; }
    int pullUp() const { return values_.pullUp; }
    int backgroundMusic() const { return values_.backgroundMusic; }

    /// Copies the six values of `options` in / out (`binPath` does not pass).
    void setFromOptions(const COptions& options);
    void applyTo(COptions& options) const;

    /// The widget of a template control id (1074, 1014, 1092, ...), or nullptr.
    QWidget* control(int id) const;
    /// The controls as they stand now.
    OptionsControls controls() const;

    /// The button "Настройка ключевого режима..." that asks the main window for
    /// the key function dialog (object name "keySetupButton").
    QPushButton* keySetupButton() const { return keySetupButton_; }

    /// Sets the controls from the values; runs once, when the dialog is first
    /// shown. Calling it earlier (tests) is allowed; it then does not run again.
    void initialise();

  signals:
    /// The user asked for the key function dialog. `controlMode` is the mode
    /// checked in this dialog now (the opening value when none is checked).
    void keySetupRequested(int controlMode);

  protected:
    void showEvent(QShowEvent* event) override;

  public slots:
    /// Close box and Escape: end with the standard cancel code 2.
    void reject() override;

  private:
    void onOk();
    void onModeClicked(int controlMode);
    void showControls(const OptionsControls& c);

    OptionsValues values_;
    UserInterface* ui_ = nullptr;
    bool initialised_ = false;
    std::map<int, QWidget*> controls_;
    std::map<int, QRadioButton*> modeButtons_;  ///< by control mode
    QCheckBox* external_ = nullptr;
    QCheckBox* pullUp_ = nullptr;
    QCheckBox* music_ = nullptr;
    QRadioButton* dac_ = nullptr;
    QRadioButton* pwm_ = nullptr;
    QRadioButton* busyLow_ = nullptr;
    QRadioButton* busyHigh_ = nullptr;
    QPushButton* keySetupButton_ = nullptr;
};

}  // namespace zadaravod
