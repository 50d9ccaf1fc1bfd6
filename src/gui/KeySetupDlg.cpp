#include "gui/KeySetupDlg.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "rules/DialogResults.h"

namespace zadaravod {

using namespace key_setup_dlg;

CKeySetupDlg::CKeySetupDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QString::fromUtf8(kTitle));
    setObjectName("keySetupDlg");
    codes_.fill(1);

    auto* grid = new QGridLayout;
    for (int key = 1; key <= kKeyCount; ++key) {
        auto* label = new QLabel(QString::fromStdString(keySetupLabel(key)), this);
        auto* list = new QComboBox(this);
        list->setEditable(false);
        list->setObjectName(QString("control%1").arg(keySetupListId(key)));
        for (int code = 0; code < kKeyFunctionCount; ++code) {
            list->addItem(QString::fromUtf8(keyFunctionName(code)));
        }
        list->setCurrentIndex(-1);
        label->setBuddy(list);
        lists_[static_cast<std::size_t>(key - 1)] = list;
        const int column = (key - 1) / 8;
        const int row = (key - 1) % 8;
        grid->addWidget(label, row, column * 2);
        grid->addWidget(list, row, column * 2 + 1);
        connect(list, &QComboBox::currentIndexChanged, this, [this, key](int index) {
            if (index >= 0) codes_[static_cast<std::size_t>(key - 1)] = index;
        });
    }

    auto* ok = new QPushButton("OK", this);
    ok->setObjectName(QString("control%1").arg(kOk));
    ok->setDefault(true);
    auto* cancel = new QPushButton(QString::fromUtf8("Отмена"), this);
    cancel->setObjectName(QString("control%1").arg(kCancel));
    ok_ = ok;
    cancel_ = cancel;
    connect(ok, &QPushButton::clicked, this, [this] { done(kOk); });
    connect(cancel, &QPushButton::clicked, this, [this] { done(kCancel); });

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(buttons);
}

QComboBox* CKeySetupDlg::keyList(int key) const {
    if (key < 1 || key > kKeyCount) return nullptr;
    return lists_[static_cast<std::size_t>(key - 1)];
}

QWidget* CKeySetupDlg::control(int id) const {
    if (id == kOk) return ok_;
    if (id == kCancel) return cancel_;
    for (int key = 1; key <= kKeyCount; ++key) {
        if (keySetupListId(key) == id) return keyList(key);
    }
    return nullptr;
}

void CKeySetupDlg::initialise() {
    if (initialised_) return;
    initialised_ = true;
    const auto states = keySetupInitialLists(controlMode_, codes_);
    for (int key = 1; key <= kKeyCount; ++key) {
        const KeyListState& s = states[static_cast<std::size_t>(key - 1)];
        QComboBox* list = keyList(key);
        // What initialisation shows is not a choice of the user: no code changes.
        const QSignalBlocker blocker(list);
        list->setCurrentIndex(s.shownIndex);
        list->setEnabled(s.enabled);
    }
}

void CKeySetupDlg::showEvent(QShowEvent* event) {
    initialise();
    QDialog::showEvent(event);
}

void CKeySetupDlg::reject() { done(result::kCancel); }

}  // namespace zadaravod
