#include "gui/ConfirmDlg.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "rules/DialogResults.h"

namespace zadaravod {

CConfirmDlg::CConfirmDlg(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("confirmDlg"));
    setWindowTitle(tr("Подтвердить"));
    setModal(true);

    label_ = new QLabel(tr("Подтвердите удаление"), this);
    label_->setObjectName(QStringLiteral("confirmLabel"));
    okButton_ = new QPushButton(tr("ОК"), this);
    okButton_->setObjectName(QStringLiteral("okButton"));
    okButton_->setDefault(true);
    cancelButton_ = new QPushButton(tr("Отмена"), this);
    cancelButton_->setObjectName(QStringLiteral("cancelButton"));

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(okButton_);
    buttons->addWidget(cancelButton_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label_);
    layout->addLayout(buttons);

    connect(okButton_, &QPushButton::clicked, this, [this] { done(result::kConfirmOk); });
    connect(cancelButton_, &QPushButton::clicked, this, [this] { done(result::kConfirmCancel); });
}

void CConfirmDlg::reject() { done(result::kCancel); }

}  // namespace zadaravod
