#include "gui/ProjectCheckDialog.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QTableWidget>
#include <QVBoxLayout>

namespace zadaravod {
namespace {

QString q(const std::string& s) { return QString::fromStdString(s); }

QString severityText(Severity severity) {
    switch (severity) {
        case Severity::Error:
            return ProjectCheckDialog::tr("Ошибка");
        case Severity::Warning:
            return ProjectCheckDialog::tr("Предупреждение");
        case Severity::Hint:
            return ProjectCheckDialog::tr("Совет");
    }
    return {};
}

QStyle::StandardPixmap severityIcon(Severity severity) {
    switch (severity) {
        case Severity::Error:
            return QStyle::SP_MessageBoxCritical;
        case Severity::Warning:
            return QStyle::SP_MessageBoxWarning;
        case Severity::Hint:
            return QStyle::SP_MessageBoxInformation;
    }
    return QStyle::SP_MessageBoxInformation;
}

QString headline(const std::vector<Finding>& findings, FindingsReview review) {
    switch (review) {
        case FindingsReview::Stops:
            return ProjectCheckDialog::tr(
                "Проект содержит ошибки, поэтому команда не выполнена. Исправьте их и "
                "повторите.");
        case FindingsReview::MayContinue:
            return ProjectCheckDialog::tr(
                "Устройство может работать не так, как вы ожидаете. Продолжить всё равно?");
        case FindingsReview::ShowOnly:
            break;
    }
    return q(findingsSummary(findings));
}

}  // namespace

ProjectCheckDialog::ProjectCheckDialog(const std::vector<Finding>& findings, FindingsReview review,
                                       QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("projectCheckDialog"));
    setWindowTitle(tr("Проверка проекта"));
    auto* layout = new QVBoxLayout(this);
    auto* label = new QLabel(headline(findings, review), this);
    label->setObjectName(QStringLiteral("headline"));
    label->setWordWrap(true);
    layout->addWidget(label);

    table_ = new QTableWidget(static_cast<int>(findings.size()), 4, this);
    table_->setObjectName(QStringLiteral("findings"));
    table_->setHorizontalHeaderLabels(
        {tr("Важность"), tr("Место"), tr("Что не так"), tr("Что сделать")});
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setWordWrap(true);
    table_->verticalHeader()->hide();
    table_->horizontalHeader()->setStretchLastSection(true);
    for (int row = 0; row < static_cast<int>(findings.size()); ++row) {
        const Finding& f = findings[static_cast<std::size_t>(row)];
        auto* severity = new QTableWidgetItem(style()->standardIcon(severityIcon(f.severity)),
                                              severityText(f.severity));
        table_->setItem(row, 0, severity);
        table_->setItem(row, 1, new QTableWidgetItem(q(f.place)));
        table_->setItem(row, 2, new QTableWidgetItem(q(f.text)));
        table_->setItem(row, 3, new QTableWidgetItem(q(f.action)));
    }
    table_->setColumnWidth(1, 150);
    table_->setColumnWidth(2, 330);
    table_->resizeColumnToContents(0);
    table_->resizeRowsToContents();
    layout->addWidget(table_);

    auto* buttons = new QDialogButtonBox(this);
    if (review == FindingsReview::MayContinue) {
        QPushButton* go = buttons->addButton(tr("Продолжить"), QDialogButtonBox::AcceptRole);
        go->setObjectName(QStringLiteral("continueButton"));
        QPushButton* cancel = buttons->addButton(tr("Отмена"), QDialogButtonBox::RejectRole);
        cancel->setObjectName(QStringLiteral("cancelButton"));
        cancel->setDefault(true);  // the safe answer
    } else {
        QPushButton* close = buttons->addButton(tr("Закрыть"), QDialogButtonBox::RejectRole);
        close->setObjectName(QStringLiteral("closeButton"));
        close->setDefault(true);
    }
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    resize(860, 360);
}

}  // namespace zadaravod
