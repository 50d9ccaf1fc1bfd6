#pragma once

#include <QDialog>
#include <vector>

#include "commands/ProjectCheck.h"

class QTableWidget;

namespace zadaravod {

/// The findings of a project check in one table: severity, place, what is
/// wrong and what to do. Before a command with warnings only it offers
/// "Продолжить" and "Отмена"; otherwise "Закрыть" alone.
class ProjectCheckDialog : public QDialog {
    Q_OBJECT
  public:
    ProjectCheckDialog(const std::vector<Finding>& findings, FindingsReview review,
                       QWidget* parent = nullptr);

    QTableWidget* table() const { return table_; }

  private:
    QTableWidget* table_ = nullptr;
};

}  // namespace zadaravod
