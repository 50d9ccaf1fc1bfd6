#include "gui/OptionsDlg.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <vector>

#include "commands/UserInterface.h"
#include "gui/Language.h"
#include "model/Settings.h"
#include "rules/DialogResults.h"

namespace zadaravod {

using namespace options_dlg;

COptionsDlg::COptionsDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle(coreText(kTitle));
    setObjectName("optionsDlg");

    auto makeRadio = [this](int id, const QString& caption) {
        auto* b = new QRadioButton(caption, this);
        b->setObjectName(QString("control%1").arg(id));
        controls_[id] = b;
        return b;
    };
    auto makeCheck = [this](int id, const QString& caption) {
        auto* b = new QCheckBox(caption, this);
        b->setObjectName(QString("control%1").arg(id));
        controls_[id] = b;
        return b;
    };
    auto makeGroup = [this](int id, const QString& caption) {
        auto* g = new QGroupBox(caption, this);
        g->setObjectName(QString("control%1").arg(id));
        controls_[id] = g;
        return g;
    };

    // Control mode group.
    QGroupBox* modeGroup = makeGroup(kModeGroup, tr("Способ управления :"));
    auto* modeLayout = new QVBoxLayout(modeGroup);
    struct ModeButton {
        int id;
        const char* caption;
    };
    const ModeButton modeOrder[] = {
        {kOneLine, QT_TR_NOOP("Однопроводный")}, {kThreeLine, QT_TR_NOOP("3-х проводный")},
        {kMp3, QT_TR_NOOP("MP3 Mode")},          {kParallel, QT_TR_NOOP("Параллельный порт")},
        {kMatrix, QT_TR_NOOP("3 x 8 Матрица")},  {kExtended, QT_TR_NOOP("Расширеный")},
        {kKeyMode, QT_TR_NOOP("Ключевой")}};
    for (const ModeButton& m : modeOrder) {
        QRadioButton* b = makeRadio(m.id, tr(m.caption));
        const int mode = optionsModeOfButton(m.id);
        modeButtons_[mode] = b;
        modeLayout->addWidget(b);
        b->setVisible(optionsModeButtonVisible(mode));
        connect(b, &QRadioButton::clicked, this, [this, mode] { onModeClicked(mode); });
    }
    music_ = makeCheck(kBackgroundMusic, tr("Фоновая музыка"));
    modeLayout->addWidget(music_);
    music_->setVisible(false);

    // Audio output group.
    QGroupBox* audioGroup = makeGroup(kAudioGroup, tr("Аудио выход"));
    auto* audioLayout = new QVBoxLayout(audioGroup);
    dac_ = makeRadio(kDac, tr("ЦАП"));
    pwm_ = makeRadio(kPwm, tr("ШИМ"));
    audioLayout->addWidget(dac_);
    audioLayout->addWidget(pwm_);

    // Busy level group.
    QGroupBox* busyGroup = makeGroup(kBusyGroup, tr("Режим занятости :"));
    auto* busyLayout = new QVBoxLayout(busyGroup);
    busyLow_ = makeRadio(kBusyLow, tr("Лог. 0"));
    busyHigh_ = makeRadio(kBusyHigh, tr("Лог. 1"));
    busyLayout->addWidget(busyLow_);
    busyLayout->addWidget(busyHigh_);

    external_ = makeCheck(kExternalMode, tr("Внешний режим"));
    external_->setVisible(false);
    pullUp_ = makeCheck(kPullUp, tr("Подтягивающий резистор"));

    keySetupButton_ = new QPushButton(tr("Настройка ключевого режима..."), this);
    keySetupButton_->setObjectName("keySetupButton");
    connect(keySetupButton_, &QPushButton::clicked, this, [this] {
        const OptionsControls c = controls();
        emit keySetupRequested(c.checkedMode >= 0 ? c.checkedMode : values_.controlMode);
    });

    auto* ok = new QPushButton(tr("ОК"), this);
    ok->setObjectName(QString("control%1").arg(kOk));
    ok->setDefault(true);
    controls_[kOk] = ok;
    auto* cancel = new QPushButton(tr("Отмена"), this);
    cancel->setObjectName(QString("control%1").arg(kCancel));
    controls_[kCancel] = cancel;
    connect(ok, &QPushButton::clicked, this, &COptionsDlg::onOk);
    connect(cancel, &QPushButton::clicked, this, [this] { done(kCancel); });

    auto* right = new QVBoxLayout;
    right->addWidget(audioGroup);
    right->addWidget(busyGroup);
    right->addWidget(pullUp_);
    right->addWidget(external_);
    right->addStretch();
    auto* top = new QHBoxLayout;
    top->addWidget(modeGroup);
    top->addLayout(right);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(keySetupButton_);
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(buttons);
}

void COptionsDlg::setFromOptions(const COptions& o) {
    values_ = {o.externalMode, o.controlMode, o.audioOutput,
               o.busyLevel,    o.pullUp,      o.backgroundMusic};
}

void COptionsDlg::applyTo(COptions& o) const {
    o.externalMode = values_.externalMode;
    o.controlMode = values_.controlMode;
    o.audioOutput = values_.audioOutput;
    o.busyLevel = values_.busyLevel;
    o.pullUp = values_.pullUp;
    o.backgroundMusic = values_.backgroundMusic;
}

QWidget* COptionsDlg::control(int id) const {
    const auto it = controls_.find(id);
    return it == controls_.end() ? nullptr : it->second;
}

OptionsControls COptionsDlg::controls() const {
    OptionsControls c;
    c.checkedMode = -1;
    // The OK handler's order: 1014, 1015, 1017, 1016, 1018, 1019, 1084.
    for (int mode : {0, 1, 4, 2, 3, 5, 6}) {
        if (modeButtons_.at(mode)->isChecked()) {
            c.checkedMode = mode;
            break;
        }
    }
    c.externalChecked = external_->isChecked();
    c.musicEnabled = music_->isEnabled();
    c.musicChecked = music_->isChecked();
    c.audioChecked = dac_->isChecked() ? 1 : pwm_->isChecked() ? 0 : -1;
    c.busyChecked = busyLow_->isChecked() ? 1 : busyHigh_->isChecked() ? 0 : -1;
    c.pullUpChecked = pullUp_->isChecked();
    return c;
}

namespace {
/// Checks `target` alone among `buttons` (none when it is null). An
/// auto-exclusive radio button cannot be unchecked directly, so exclusivity
/// is lifted while the marks are set.
void checkOnly(const std::vector<QRadioButton*>& buttons, const QRadioButton* target) {
    for (QRadioButton* b : buttons) {
        b->setAutoExclusive(false);
        b->setChecked(b == target);
        b->setAutoExclusive(true);
    }
}
}  // namespace

void COptionsDlg::showControls(const OptionsControls& c) {
    std::vector<QRadioButton*> modes;
    for (auto& [mode, button] : modeButtons_) modes.push_back(button);
    const auto checked = modeButtons_.find(c.checkedMode);
    checkOnly(modes, checked == modeButtons_.end() ? nullptr : checked->second);
    external_->setChecked(c.externalChecked);
    music_->setEnabled(c.musicEnabled);
    music_->setChecked(c.musicChecked);
    checkOnly({dac_, pwm_}, c.audioChecked == 1 ? dac_ : c.audioChecked == 0 ? pwm_ : nullptr);
    checkOnly({busyLow_, busyHigh_}, c.busyChecked == 1   ? busyLow_
                                     : c.busyChecked == 0 ? busyHigh_
                                                          : nullptr);
    pullUp_->setChecked(c.pullUpChecked);
}

void COptionsDlg::initialise() {
    if (initialised_) return;
    initialised_ = true;
    showControls(optionsInitialControls(values_, controls()));
}

void COptionsDlg::showEvent(QShowEvent* event) {
    initialise();
    QDialog::showEvent(event);
}

void COptionsDlg::onModeClicked(int controlMode) {
    OptionsControls c = controls();
    optionsModeClicked(c, controlMode);
    showControls(c);
}

void COptionsDlg::onOk() {
    const OptionsOkOutcome outcome = optionsOk(controls(), values_);
    values_ = outcome.values;
    for (const std::string& text : outcome.messages) {
        if (ui_) {
            ui_->message(text, kAppTitle);
        } else {
            QMessageBox::information(this, QString::fromUtf8(kAppTitle),
                                     QString::fromStdString(text));
        }
    }
    done(kOk);
}

void COptionsDlg::reject() { done(result::kCancel); }

}  // namespace zadaravod
