#include "gui/KeyGridDialog.h"

#include <QCoreApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "gui/Language.h"
#include "rules/DialogResults.h"

namespace zadaravod {

namespace {

QString controlName(int id) { return QStringLiteral("control%1").arg(id); }

}  // namespace

KeyGridDialog::KeyGridDialog(const KeyGridTemplate& layout, QWidget* parent)
    : QDialog(parent), layout_(layout) {
    setWindowTitle(coreText(layout_.title));
    setObjectName(QString::fromUtf8(layout_.objectName));
}

void KeyGridDialog::buildGrid() {
    auto* grid = new QGridLayout;
    for (int key = 1; key <= kKeyCount; ++key) {
        auto* label = new QLabel(coreText(layout_.keyLabel(key)), this);
        QWidget* control = makeKeyControl(key);
        control->setObjectName(controlName(layout_.controlId(key)));
        label->setBuddy(control);
        controls_[static_cast<std::size_t>(key - 1)] = control;
        const int column = (key - 1) / 8;
        const int row = (key - 1) % 8;
        grid->addWidget(label, row, column * 2);
        grid->addWidget(control, row, column * 2 + 1);
    }

    auto* buttons = new QHBoxLayout;
    if (layout_.rangeLabel) buttons->addWidget(new QLabel(coreText(layout_.rangeLabel), this));
    auto* ok =
        new QPushButton(QCoreApplication::translate("KeyGridDialog", layout_.okCaption), this);
    ok->setObjectName(controlName(layout_.okId));
    ok->setDefault(true);
    auto* cancel = new QPushButton(tr("Отмена"), this);
    cancel->setObjectName(controlName(layout_.cancelId));
    ok_ = ok;
    cancel_ = cancel;
    connect(ok, &QPushButton::clicked, this, [this] { done(layout_.okId); });
    connect(cancel, &QPushButton::clicked, this, [this] { done(layout_.cancelId); });

    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(buttons);
}

QWidget* KeyGridDialog::keyControl(int key) const {
    if (key < 1 || key > kKeyCount) return nullptr;
    return controls_[static_cast<std::size_t>(key - 1)];
}

QWidget* KeyGridDialog::control(int id) const {
    if (id == layout_.okId) return ok_;
    if (id == layout_.cancelId) return cancel_;
    for (int key = 1; key <= kKeyCount; ++key) {
        if (layout_.controlId(key) == id) return keyControl(key);
    }
    return nullptr;
}

void KeyGridDialog::initialise() {
    if (initialised_) return;
    initialised_ = true;
    showValues();
    for (int key = 1; key <= kKeyCount; ++key) {
        keyControl(key)->setEnabled(keyEditableInMode(layout_.enabling, controlMode_, key));
    }
}

void KeyGridDialog::showEvent(QShowEvent* event) {
    initialise();
    QDialog::showEvent(event);
}

void KeyGridDialog::reject() { done(result::kCancel); }

}  // namespace zadaravod
