#include "gui/SpeakDialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>

#include "audio/Player.h"
#include "model/SamplingRates.h"

namespace zadaravod {

namespace {

QString fromStd(const std::string& text) { return QString::fromStdString(text); }

}  // namespace

SpeakDialog::SpeakDialog(Player& player, QWidget* parent) : QDialog(parent), player_(player) {
    setObjectName(QStringLiteral("speakDialog"));
    setWindowTitle(tr("Синтез речи"));
    setModal(true);

    textEdit_ = new QPlainTextEdit(this);
    textEdit_->setObjectName(QStringLiteral("textEdit"));
    textEdit_->setPlaceholderText(tr("Текст подсказки, например «Дверь открыта»"));
    textEdit_->setTabChangesFocus(true);

    voiceCombo_ = new QComboBox(this);
    voiceCombo_->setObjectName(QStringLiteral("voiceCombo"));

    speedSpin_ = new QSpinBox(this);
    speedSpin_->setObjectName(QStringLiteral("speedSpin"));
    speedSpin_->setRange(kMinSpeechWordsPerMinute, kMaxSpeechWordsPerMinute);
    speedSpin_->setValue(kDefaultSpeechWordsPerMinute);
    speedSpin_->setSuffix(tr(" слов/мин"));

    pitchSpin_ = new QSpinBox(this);
    pitchSpin_->setObjectName(QStringLiteral("pitchSpin"));
    pitchSpin_->setRange(0, 100);
    pitchSpin_->setValue(kDefaultSpeechPitch);

    rateCombo_ = new QComboBox(this);
    rateCombo_->setObjectName(QStringLiteral("rateCombo"));

    nameEdit_ = new QLineEdit(this);
    nameEdit_->setObjectName(QStringLiteral("nameEdit"));

    listenButton_ = new QPushButton(tr("Прослушать"), this);
    listenButton_->setObjectName(QStringLiteral("listenButton"));
    listenButton_->setAutoDefault(false);

    problemLabel_ = new QLabel(this);
    problemLabel_->setObjectName(QStringLiteral("problemLabel"));
    problemLabel_->setWordWrap(true);
    statusLabel_ = new QLabel(this);
    statusLabel_->setObjectName(QStringLiteral("statusLabel"));
    statusLabel_->setWordWrap(true);

    auto* buttons = new QDialogButtonBox(this);
    okButton_ = buttons->addButton(tr("ОК"), QDialogButtonBox::AcceptRole);
    okButton_->setObjectName(QStringLiteral("okButton"));
    okButton_->setDefault(true);
    cancelButton_ = buttons->addButton(tr("Отмена"), QDialogButtonBox::RejectRole);
    cancelButton_->setObjectName(QStringLiteral("cancelButton"));

    auto* form = new QFormLayout;
    form->addRow(tr("Текст:"), textEdit_);
    form->addRow(tr("Голос:"), voiceCombo_);
    form->addRow(tr("Скорость:"), speedSpin_);
    form->addRow(tr("Высота тона:"), pitchSpin_);
    form->addRow(tr("Частота дискретизации:"), rateCombo_);
    form->addRow(tr("Имя файла:"), nameEdit_);
    auto* listenRow = new QHBoxLayout;
    listenRow->addWidget(listenButton_);
    listenRow->addWidget(statusLabel_, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(listenRow);
    layout->addWidget(problemLabel_);
    layout->addWidget(buttons);
    resize(460, 360);

    fillVoices();
    setRates(std::vector<int>(kSupportedRates.begin(), kSupportedRates.end()));

    connect(textEdit_, &QPlainTextEdit::textChanged, this, [this] { textChanged(); });
    // textEdited comes from the user's typing only, never from setText().
    connect(nameEdit_, &QLineEdit::textEdited, this, [this] {
        nameEdited_ = true;
        refresh();
    });
    connect(listenButton_, &QPushButton::clicked, this, [this] { listen(); });
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        if (problem().isEmpty()) accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, [this] { reject(); });
    textChanged();
}

void SpeakDialog::fillVoices() {
    std::vector<SpeechVoice> voices;
    std::string error;
    if (!listSpeechVoices(voices, error)) {
        voiceError_ = tr("Синтезатор речи недоступен: %1").arg(fromStd(error));
        voiceCombo_->setEnabled(false);
        return;
    }
    for (const SpeechVoice& v : voices) {
        voiceCombo_->addItem(QStringLiteral("%1 (%2)").arg(fromStd(v.name), fromStd(v.language)),
                             fromStd(v.identifier));
    }
    voiceCombo_->setCurrentIndex(0);
}

void SpeakDialog::setTakenNames(std::set<std::string> taken) {
    taken_ = std::move(taken);
    textChanged();
}

void SpeakDialog::setRates(const std::vector<int>& rates) {
    rateCombo_->clear();
    for (int rate : rates) rateCombo_->addItem(tr("%1 Гц").arg(rate), rate);
    const int preferred = rateCombo_->findData(kDefaultSpokenRate);
    rateCombo_->setCurrentIndex(preferred >= 0 ? preferred : 0);
    refresh();
}

SpeechRequest SpeakDialog::request() const {
    SpeechRequest r;
    r.text = textEdit_->toPlainText().toStdString();
    r.voice = voiceCombo_->currentData().toString().toStdString();
    r.wordsPerMinute = speedSpin_->value();
    r.pitch = pitchSpin_->value();
    r.sampleRate = rateCombo_->currentData().toInt();
    return r;
}

std::string SpeakDialog::fileName() const {
    return spokenFileName(nameEdit_->text().toStdString());
}

QString SpeakDialog::problem() const {
    if (!voiceError_.isEmpty()) return voiceError_;
    const QString text = textEdit_->toPlainText();
    if (text.trimmed().isEmpty()) return tr("Введите текст.");
    if (static_cast<std::size_t>(text.toUcs4().size()) > kMaxSpeechTextChars) {
        return tr("Текст длиннее %1 символов; сократите его.").arg(kMaxSpeechTextChars);
    }
    if (rateCombo_->count() == 0) return tr("Нет частоты дискретизации на выбор.");
    switch (checkSpokenName(fileName(), taken_)) {
        case SpokenNameCheck::Usable:
            return {};
        case SpokenNameCheck::Empty:
            return tr("Введите имя файла.");
        case SpokenNameCheck::Unusable:
            return tr(
                "Такое имя файла нельзя использовать: в нём есть «/» или «\\», или оно "
                "длиннее 255 байт.");
        case SpokenNameCheck::Taken:
            break;
    }
    return tr("Звук с именем «%1» уже есть в проекте; выберите другое имя.")
        .arg(fromStd(fileName()));
}

void SpeakDialog::textChanged() {
    if (!nameEdited_) {
        const std::string suggested =
            suggestSpeechFileName(textEdit_->toPlainText().toStdString(), taken_);
        nameEdit_->setText(fromStd(suggested));
    }
    refresh();
}

void SpeakDialog::refresh() {
    const QString why = problem();
    problemLabel_->setText(why);
    okButton_->setEnabled(why.isEmpty());
    listenButton_->setEnabled(voiceError_.isEmpty() &&
                              !textEdit_->toPlainText().trimmed().isEmpty());
}

void SpeakDialog::listen() {
    player_.stopAll();
    const Result<SpokenSamples> spoken = speakText(request(), treatment_);
    if (!spoken) {
        statusLabel_->setText(
            tr("Не удалось подготовить звук: %1").arg(fromStd(spoken.error().text)));
        return;
    }
    const SpokenSamples& s = spoken.value();
    const LoadResult loaded = player_.loadSamples(s.samples, s.sampleRate);
    if (!loaded) {
        statusLabel_->setText(fromStd(loaded.error));
        return;
    }
    if (!player_.playPaused(kPlaybackChannel, loaded.sample)) {
        const std::string why = player_.errorText();
        statusLabel_->setText(why.empty() ? tr("Звук не удалось воспроизвести.") : fromStd(why));
        return;
    }
    player_.unpauseAll();
    played_ = true;
    const auto ms = static_cast<long long>(s.samples.size()) * 1000 / s.sampleRate;
    statusLabel_->setText(tr("Звучит: %1 мс").arg(ms));
}

void SpeakDialog::done(int result) {
    if (played_) player_.stopAll();
    played_ = false;
    QDialog::done(result);
}

}  // namespace zadaravod
