#include "gui/EquationSetupDlg.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "rules/DialogResults.h"
#include "commands/UserInterface.h"

namespace zadaravod {

using namespace equation_dlg;

CEquationSetupDlg::CEquationSetupDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QString::fromUtf8(kTitle));
    setObjectName("equationSetupDlg");
    for (int i = 0; i < kKeyCount; ++i) numbers_[static_cast<std::size_t>(i)] = i;

    auto* digits = new QRegularExpressionValidator(QRegularExpression("[0-9]*"), this);
    auto* grid = new QGridLayout;
    for (int key = 1; key <= kKeyCount; ++key) {
        auto* label = new QLabel(QString::fromStdString(equationKeyLabel(key)), this);
        auto* edit = new QLineEdit(this);
        edit->setObjectName(QString("control%1").arg(equationEditId(key)));
        edit->setValidator(digits);
        edit->setFrame(true);
        label->setBuddy(edit);
        edits_[static_cast<std::size_t>(key - 1)] = edit;
        const int column = (key - 1) / 8;
        const int row = (key - 1) % 8;
        grid->addWidget(label, row, column * 2);
        grid->addWidget(edit, row, column * 2 + 1);
        connect(edit, &QLineEdit::textChanged, this,
                [this, key](const QString& text) { onEdited(key, text); });
    }

    auto* range = new QLabel(QString::fromUtf8(kRangeLabel), this);
    auto* ok = new QPushButton(QString::fromUtf8("ОК"), this);
    ok->setObjectName(QString("control%1").arg(kOk));
    ok->setDefault(true);
    auto* cancel = new QPushButton(QString::fromUtf8("Отмена"), this);
    cancel->setObjectName(QString("control%1").arg(kCancel));
    ok_ = ok;
    cancel_ = cancel;
    connect(ok, &QPushButton::clicked, this, [this] { done(kOk); });
    connect(cancel, &QPushButton::clicked, this, [this] { done(kCancel); });

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(range);
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(buttons);
}

QLineEdit* CEquationSetupDlg::keyEdit(int key) const {
    if (key < 1 || key > kKeyCount) return nullptr;
    return edits_[static_cast<std::size_t>(key - 1)];
}

QWidget* CEquationSetupDlg::control(int id) const {
    if (id == kOk) return ok_;
    if (id == kCancel) return cancel_;
    for (int key = 1; key <= kKeyCount; ++key) {
        if (equationEditId(key) == id) return keyEdit(key);
    }
    return nullptr;
}

void CEquationSetupDlg::initialise() {
    if (initialised_) return;
    initialised_ = true;
    for (int key = 1; key <= kKeyCount; ++key) {
        QLineEdit* edit = keyEdit(key);
        {
            // The opening numbers are shown as they are, even one out of range
            // that came from a project file; only the user's edits are checked.
            const QSignalBlocker blocker(edit);
            edit->setText(QString::fromStdString(
                equationInitialText(numbers_[static_cast<std::size_t>(key - 1)])));
        }
        edit->setEnabled(equationKeyEnabled(controlMode_, key));
    }
}

void CEquationSetupDlg::showEvent(QShowEvent* event) {
    initialise();
    QDialog::showEvent(event);
}

void CEquationSetupDlg::onEdited(int key, const QString& text) {
    if (!initialised_) return;
    const EquationUpdate update = equationEditUpdate(text.toStdString());
    auto& number = numbers_[static_cast<std::size_t>(key - 1)];
    number = update.number;
    if (!update.error) return;
    if (ui_) {
        ui_->message(kErrorText, kErrorCaption);
    } else {
        QMessageBox box(QMessageBox::NoIcon, QString::fromUtf8(kErrorCaption),
                        QString::fromUtf8(kErrorText), QMessageBox::Ok, this);
        box.exec();
    }
    QLineEdit* edit = keyEdit(key);
    const QSignalBlocker blocker(edit);
    edit->setText(QString::fromStdString(update.resetText));
    number = 0;
}

void CEquationSetupDlg::reject() { done(result::kCancel); }

}  // namespace zadaravod
