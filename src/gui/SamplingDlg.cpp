#include "gui/SamplingDlg.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "model/SamplingRates.h"
#include "rules/DialogResults.h"
#include "rules/SamplingRules.h"

namespace zadaravod {

CSamplingDlg::CSamplingDlg(int rateLimit, QWidget* parent)
    : QDialog(parent), rateLimit_(rateLimit) {
    setObjectName(QStringLiteral("samplingDlg"));
    setWindowTitle(tr("Выберите частоту дескритизации"));
    setModal(true);

    rateList_ = new QListWidget(this);
    rateList_->setObjectName(QStringLiteral("rateList"));
    rateList_->setSelectionMode(QAbstractItemView::SingleSelection);
    rateCombo_ = new QComboBox(this);
    rateCombo_->setObjectName(QStringLiteral("rateCombo"));
    rateCombo_->hide();
    for (const std::string& line : samplingDialogLines(rateLimit)) {
        rateList_->addItem(QString::fromStdString(line));
        rateCombo_->addItem(QString::fromStdString(line));
    }
    rateCombo_->setCurrentIndex(0);

    okButton_ = new QPushButton(tr("ОК"), this);
    okButton_->setObjectName(QStringLiteral("okButton"));
    okButton_->setDefault(true);
    okButton_->hide();
    cancelButton_ = new QPushButton(tr("Отмена"), this);
    cancelButton_->setObjectName(QStringLiteral("cancelButton"));
    cancelButton_->hide();

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(rateList_);
    resize(220, 260);

    connect(rateList_, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem* item) { pick(item); });
    connect(okButton_, &QPushButton::clicked, this, [this] { pickSelected(); });
    connect(cancelButton_, &QPushButton::clicked, this, [this] { reject(); });
}

void CSamplingDlg::pick(const QListWidgetItem* item) {
    if (finished_) return;
    const SamplingPick choice = item ? pickSamplingLine(item->text().toStdString())
                                     : SamplingPick{result::kSamplingCancel, 0};
    chosenRate_ = choice.rate;
    finished_ = true;
    done(choice.endCode);
}

void CSamplingDlg::pickSelected() {
    const QList<QListWidgetItem*> selected = rateList_->selectedItems();
    pick(selected.isEmpty() ? nullptr : selected.front());
}

void CSamplingDlg::keyPressEvent(QKeyEvent* event) {
    // The buttons are hidden, so Enter would do nothing: it picks the
    // selected line instead (nothing selected cancels).
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        pickSelected();
        return;
    }
    QDialog::keyPressEvent(event);
}

void CSamplingDlg::reject() {
    if (!finished_) chosenRate_ = 0;
    finished_ = true;
    done(result::kSamplingCancel);
}

}  // namespace zadaravod
