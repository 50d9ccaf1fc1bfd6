#include "gui/ProcessSoundDialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace zadaravod {

ProcessSoundDialog::ProcessSoundDialog(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("processSoundDialog"));
    setWindowTitle(tr("Обработка звука"));
    setModal(true);

    soundLabel_ = new QLabel(this);
    soundLabel_->setObjectName(QStringLiteral("soundLabel"));
    soundLabel_->hide();

    trimCheck_ = new QCheckBox(tr("Обрезать тишину"), this);
    trimCheck_->setObjectName(QStringLiteral("trimCheck"));
    thresholdSpin_ = new QDoubleSpinBox(this);
    thresholdSpin_->setObjectName(QStringLiteral("thresholdSpin"));
    thresholdSpin_->setRange(-96.0, 0.0);
    thresholdSpin_->setDecimals(0);
    thresholdSpin_->setSuffix(tr(" dBFS"));
    thresholdSpin_->setToolTip(tr("Всё, что тише порога в начале и в конце, отрезается"));

    normalizeCheck_ = new QCheckBox(tr("Выровнять громкость"), this);
    normalizeCheck_->setObjectName(QStringLiteral("normalizeCheck"));
    targetSpin_ = new QDoubleSpinBox(this);
    targetSpin_->setObjectName(QStringLiteral("targetSpin"));
    targetSpin_->setRange(-70.0, -5.0);
    targetSpin_->setDecimals(0);
    targetSpin_->setSuffix(tr(" LUFS"));
    targetSpin_->setToolTip(tr("Громкость по EBU R128; пики не выше -1 dBTP"));

    auto* buttons = new QDialogButtonBox(this);
    okButton_ = buttons->addButton(tr("ОК"), QDialogButtonBox::AcceptRole);
    okButton_->setObjectName(QStringLiteral("okButton"));
    okButton_->setDefault(true);
    cancelButton_ = buttons->addButton(tr("Отмена"), QDialogButtonBox::RejectRole);
    cancelButton_->setObjectName(QStringLiteral("cancelButton"));

    auto* grid = new QGridLayout;
    grid->addWidget(trimCheck_, 0, 0, 1, 2);
    grid->addWidget(new QLabel(tr("Порог тишины:"), this), 1, 0);
    grid->addWidget(thresholdSpin_, 1, 1);
    grid->addWidget(normalizeCheck_, 2, 0, 1, 2);
    grid->addWidget(new QLabel(tr("Целевая громкость:"), this), 3, 0);
    grid->addWidget(targetSpin_, 3, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(soundLabel_);
    layout->addLayout(grid);
    layout->addWidget(buttons);

    connect(trimCheck_, &QCheckBox::toggled, this, [this] { refresh(); });
    connect(normalizeCheck_, &QCheckBox::toggled, this, [this] { refresh(); });
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        if (treatment().any()) accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, [this] { reject(); });
    setTreatment(SoundTreatment{});
}

void ProcessSoundDialog::setSoundName(const QString& name) {
    soundLabel_->setText(tr("Звук: %1").arg(name));
    soundLabel_->setVisible(!name.isEmpty());
}

void ProcessSoundDialog::setTreatment(const SoundTreatment& treatment) {
    base_ = treatment;
    trimCheck_->setChecked(treatment.trim);
    normalizeCheck_->setChecked(treatment.normalize);
    thresholdSpin_->setValue(treatment.trimOptions.thresholdDbfs);
    targetSpin_->setValue(treatment.loudnessOptions.targetLufs);
    refresh();
}

SoundTreatment ProcessSoundDialog::treatment() const {
    SoundTreatment t = base_;
    t.trim = trimCheck_->isChecked();
    t.normalize = normalizeCheck_->isChecked();
    t.trimOptions.thresholdDbfs = thresholdSpin_->value();
    t.loudnessOptions.targetLufs = targetSpin_->value();
    return t;
}

void ProcessSoundDialog::refresh() {
    thresholdSpin_->setEnabled(trimCheck_->isChecked());
    targetSpin_->setEnabled(normalizeCheck_->isChecked());
    okButton_->setEnabled(trimCheck_->isChecked() || normalizeCheck_->isChecked());
}

}  // namespace zadaravod
