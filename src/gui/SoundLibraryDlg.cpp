#include "gui/SoundLibraryDlg.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "rules/DialogResults.h"
#include "rules/LibraryRows.h"

namespace zadaravod {

CSoundLibraryDlg::CSoundLibraryDlg(const CSoundList& sounds, QWidget* parent)
    : QDialog(parent), sounds_(sounds) {
    setObjectName(QStringLiteral("soundLibraryDlg"));
    setWindowTitle(tr("Звуковая библиотека"));
    setModal(true);

    table_ = new QTreeWidget(this);
    table_->setObjectName(QStringLiteral("soundTable"));
    table_->setRootIsDecorated(false);
    table_->setItemsExpandable(false);
    table_->setUniformRowHeights(true);
    table_->setAllColumnsShowFocus(true);  // whole-row selection
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    // Grid lines between the cells.
    table_->setStyleSheet(
        QStringLiteral("QTreeWidget::item { border-right: 1px solid palette(mid); "
                       "border-bottom: 1px solid palette(mid); }"));

    QStringList titles;
    for (const LibraryColumn& c : kLibraryColumns) titles << QString::fromUtf8(c.title);
    table_->setHeaderLabels(titles);
    for (int c = 0; c < static_cast<int>(kLibraryColumns.size()); ++c) {
        table_->setColumnWidth(c, kLibraryColumns[static_cast<std::size_t>(c)].width);
        table_->headerItem()->setTextAlignment(c, Qt::AlignLeft | Qt::AlignVCenter);
    }

    QList<QTreeWidgetItem*> rows;
    int number = 1;
    for (const CSound& sound : sounds_) {
        QStringList cells;
        for (const std::string& text : pickerRowTexts(sound, number)) {
            cells << QString::fromStdString(text);
        }
        rows << new QTreeWidgetItem(cells);
        ++number;
    }
    table_->addTopLevelItems(rows);

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
    layout->addWidget(table_);
    layout->addLayout(buttons);
    resize(680, 400);

    connect(okButton_, &QPushButton::clicked, this, [this] { pickSelected(); });
    connect(table_, &QTreeWidget::itemActivated, this, [this] { pickSelected(); });
    connect(cancelButton_, &QPushButton::clicked, this, [this] { reject(); });
}

void CSoundLibraryDlg::pickSelected() {
    // Enter on a row activates it and then reaches the default button: the
    // first of the two decides.
    if (finished_) return;
    int index = -1;
    for (QTreeWidgetItem* item : table_->selectedItems()) {
        const int row = table_->indexOfTopLevelItem(item);
        if (row >= 0 && (index < 0 || row < index)) index = row;
    }
    finished_ = true;
    done(index >= 0 ? index : result::kLibraryCancel);
}

void CSoundLibraryDlg::reject() {
    finished_ = true;
    done(result::kLibraryCancel);
}

}  // namespace zadaravod
