#pragma once

#include <QDialog>

#include "commands/PromptTools.h"

class QCheckBox;
class QDoubleSpinBox;
class QLabel;
class QPushButton;

namespace zadaravod {

/// "Обработка звука": what to do with a sound — trim its silence below a
/// threshold, bring it to a target loudness, or both. The dialog only gives
/// the choice: after exec() == Accepted the caller reads treatment() and
/// runs processLibrarySound (or keeps it as an import option).
///
/// OK is disabled while neither box is checked; each setting is enabled only
/// while its box is.
///
/// Object names: "processSoundDialog", "soundLabel", "trimCheck",
/// "thresholdSpin", "normalizeCheck", "targetSpin", "okButton",
/// "cancelButton".
class ProcessSoundDialog : public QDialog {
    Q_OBJECT
  public:
    explicit ProcessSoundDialog(QWidget* parent = nullptr);

    /// Shows which sound is processed ("" hides the line).
    void setSoundName(const QString& name);
    /// The choice the dialog starts with (default: nothing checked, the
    /// engine's threshold and target).
    void setTreatment(const SoundTreatment& treatment);
    /// The choice as it stands; the threshold in dBFS, the target in LUFS.
    SoundTreatment treatment() const;

  private:
    void refresh();

    SoundTreatment base_;  ///< options the dialog does not show pass through
    QLabel* soundLabel_;
    QCheckBox* trimCheck_;
    QDoubleSpinBox* thresholdSpin_;
    QCheckBox* normalizeCheck_;
    QDoubleSpinBox* targetSpin_;
    QPushButton* okButton_;
    QPushButton* cancelButton_;
};

}  // namespace zadaravod
