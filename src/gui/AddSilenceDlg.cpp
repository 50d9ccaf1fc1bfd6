#include "gui/AddSilenceDlg.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

#include "commands/UserInterface.h"
#include "rules/DialogResults.h"
#include "rules/Silence.h"

namespace zadaravod {

CAddSilenceDlg::CAddSilenceDlg(int listWeight, QWidget* parent)
    : QDialog(parent), listWeight_(listWeight) {
    setObjectName(QStringLiteral("addSilenceDlg"));
    setWindowTitle(tr("Добавить тишину"));
    setModal(true);

    auto* prompt = new QLabel(tr("Введите продолжительность:"), this);
    prompt->setObjectName(QStringLiteral("promptLabel"));
    lengthEdit_ = new QLineEdit(this);
    lengthEdit_->setObjectName(QStringLiteral("lengthEdit"));
    auto* times = new QLabel(QStringLiteral("X"), this);
    times->setObjectName(QStringLiteral("timesLabel"));
    unitCombo_ = new QComboBox(this);
    unitCombo_->setObjectName(QStringLiteral("unitCombo"));
    unitCombo_->addItem(tr("10 мСек"));
    unitCombo_->addItem(tr("Сек"));
    unitCombo_->setCurrentIndex(kUnitTensOfMs);

    okButton_ = new QPushButton(tr("ОК"), this);
    okButton_->setObjectName(QStringLiteral("okButton"));
    okButton_->setDefault(true);
    cancelButton_ = new QPushButton(tr("Отмена"), this);
    cancelButton_->setObjectName(QStringLiteral("cancelButton"));

    auto* grid = new QGridLayout(this);
    grid->addWidget(prompt, 0, 0, 1, 3);
    grid->addWidget(lengthEdit_, 1, 0);
    grid->addWidget(times, 1, 1);
    grid->addWidget(unitCombo_, 1, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(okButton_);
    buttons->addWidget(cancelButton_);
    grid->addLayout(buttons, 2, 0, 1, 3);

    sink_ = [this](const std::string& text) {
        QMessageBox::information(this, QString::fromUtf8(kAppTitle), QString::fromStdString(text));
    };

    connect(okButton_, &QPushButton::clicked, this, [this] { accept(); });
    connect(cancelButton_, &QPushButton::clicked, this, [this] { reject(); });
}

void CAddSilenceDlg::accept() {
    const SilenceOutcome outcome =
        acceptSilence(lengthEdit_->text().toStdString(), unitCombo_->currentIndex(), listWeight_);
    if (!outcome.closes) {
        if (sink_) sink_(outcome.message);
        return;
    }
    done(outcome.endCode);
}

void CAddSilenceDlg::reject() { done(result::kSilenceCancel); }

}  // namespace zadaravod
