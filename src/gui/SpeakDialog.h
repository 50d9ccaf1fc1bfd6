#pragma once

#include <QDialog>

#include <set>
#include <string>
#include <vector>

#include "audio/Speech.h"
#include "commands/PromptTools.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;

namespace zadaravod {

class Player;

/// "Синтез речи": the text to speak, the voice (Russian and English voices
/// first), speed and pitch, the target rate and the file name of the new
/// sound, with "Прослушать" to hear it first. The dialog neither owns nor
/// changes a project: the caller gives it the names already taken and the
/// rates to offer, and after exec() == Accepted reads request() and
/// fileName() and adds the sound (speakIntoLibrary).
///
/// The file name follows the text as it is typed (suggestSpeechFileName,
/// safe for a file system and never one of the taken names) until the user
/// edits it. OK is enabled while there is text, a voice, and a usable name
/// that is not taken; the reason otherwise is shown in "problemLabel".
///
/// Object names: "speakDialog", "textEdit", "voiceCombo", "speedSpin",
/// "pitchSpin", "rateCombo", "nameEdit", "listenButton", "problemLabel",
/// "statusLabel", "okButton", "cancelButton".
class SpeakDialog : public QDialog {
    Q_OBJECT
  public:
    /// `player` plays what "Прослушать" makes; it must outlive the dialog.
    /// Playback the dialog started stops when the dialog ends.
    explicit SpeakDialog(Player& player, QWidget* parent = nullptr);

    /// The names the new sound must not take (takenSoundNames of the project).
    void setTakenNames(std::set<std::string> taken);
    /// The rates offered, ascending (default: every supported rate). 8000 Hz
    /// is chosen when offered, else the first rate.
    void setRates(const std::vector<int>& rates);
    /// What "Прослушать" applies before it plays, so the preview sounds as
    /// the sound will be added (default: nothing).
    void setTreatment(const SoundTreatment& treatment) { treatment_ = treatment; }

    /// The text, voice, speed, pitch and rate as chosen.
    SpeechRequest request() const;
    /// The file name as it will be used (spokenFileName of the name field).
    std::string fileName() const;
    /// Why OK is disabled; empty while it is enabled.
    QString problem() const;

    void done(int result) override;

  private:
    void fillVoices();
    void textChanged();
    void listen();
    void refresh();

    Player& player_;
    std::set<std::string> taken_;
    SoundTreatment treatment_;
    bool nameEdited_ = false;
    bool played_ = false;
    QString voiceError_;

    QPlainTextEdit* textEdit_;
    QComboBox* voiceCombo_;
    QSpinBox* speedSpin_;
    QSpinBox* pitchSpin_;
    QComboBox* rateCombo_;
    QLineEdit* nameEdit_;
    QPushButton* listenButton_;
    QLabel* problemLabel_;
    QLabel* statusLabel_;
    QPushButton* okButton_;
    QPushButton* cancelButton_;
};

}  // namespace zadaravod
