#include "gui/EquationSetupDlg.h"

#include <QCoreApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QRegularExpressionValidator>
#include <QSignalBlocker>

#include "commands/UserInterface.h"

namespace zadaravod {

using namespace equation_dlg;

namespace {

const KeyGridTemplate kEquationTemplate{
    .title = kTitle,
    .objectName = "equationSetupDlg",
    .okCaption = QT_TRANSLATE_NOOP("KeyGridDialog", "ОК"),
    .okId = kOk,
    .cancelId = kCancel,
    .rangeLabel = kRangeLabel,
    .controlId = equationEditId,
    .keyLabel = equationKeyLabel,
    .enabling = KeyDialog::Playlists,
};

}  // namespace

CEquationSetupDlg::CEquationSetupDlg(QWidget* parent) : KeyGridDialog(kEquationTemplate, parent) {
    for (int i = 0; i < kKeyCount; ++i) numbers_[static_cast<std::size_t>(i)] = i;
    digits_ = new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), this);
    buildGrid();
}

QWidget* CEquationSetupDlg::makeKeyControl(int key) {
    auto* edit = new QLineEdit(this);
    edit->setValidator(digits_);
    edit->setFrame(true);
    connect(edit, &QLineEdit::textChanged, this,
            [this, key](const QString& text) { onEdited(key, text); });
    return edit;
}

QLineEdit* CEquationSetupDlg::keyEdit(int key) const {
    return qobject_cast<QLineEdit*>(keyControl(key));
}

void CEquationSetupDlg::showValues() {
    for (int key = 1; key <= kKeyCount; ++key) {
        QLineEdit* edit = keyEdit(key);
        const QSignalBlocker blocker(edit);
        edit->setText(QString::fromStdString(
            equationInitialText(numbers_[static_cast<std::size_t>(key - 1)])));
    }
}

void CEquationSetupDlg::onEdited(int key, const QString& text) {
    if (!initialised()) return;
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

}  // namespace zadaravod
