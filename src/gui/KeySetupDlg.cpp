#include "gui/KeySetupDlg.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QSignalBlocker>

namespace zadaravod {

using namespace key_setup_dlg;

namespace {

const KeyGridTemplate kKeySetupTemplate{
    .title = kTitle,
    .objectName = "keySetupDlg",
    .okCaption = QT_TRANSLATE_NOOP("KeyGridDialog", "OK"),
    .okId = kOk,
    .cancelId = kCancel,
    .rangeLabel = nullptr,
    .controlId = keySetupListId,
    .keyLabel = keySetupLabel,
    .enabling = KeyDialog::Functions,
};

}  // namespace

CKeySetupDlg::CKeySetupDlg(QWidget* parent) : KeyGridDialog(kKeySetupTemplate, parent) {
    codes_.fill(1);
    buildGrid();
}

QWidget* CKeySetupDlg::makeKeyControl(int key) {
    auto* list = new QComboBox(this);
    list->setEditable(false);
    for (int code = 0; code < kKeyFunctionCount; ++code) {
        list->addItem(QString::fromUtf8(keyFunctionName(code)));
    }
    list->setCurrentIndex(-1);
    connect(list, &QComboBox::currentIndexChanged, this, [this, key](int index) {
        if (index >= 0) codes_[static_cast<std::size_t>(key - 1)] = index;
    });
    return list;
}

QComboBox* CKeySetupDlg::keyList(int key) const {
    return qobject_cast<QComboBox*>(keyControl(key));
}

void CKeySetupDlg::showValues() {
    const auto states = keySetupInitialLists(controlMode(), codes_);
    for (int key = 1; key <= kKeyCount; ++key) {
        QComboBox* list = keyList(key);
        const QSignalBlocker blocker(list);
        list->setCurrentIndex(states[static_cast<std::size_t>(key - 1)].shownIndex);
    }
}

}  // namespace zadaravod
