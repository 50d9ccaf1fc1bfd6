#pragma once

#include <QDialog>

namespace zadaravod {

/// "О программе": the application icon, "KD-7731 редактор образов v.1.0",
/// two further lines (the second, object "control_1097", is the link to the
/// maker's home page: clicking it emits linkActivated) and "OK".
class CAboutDlg : public QDialog {
    Q_OBJECT
  public:
    explicit CAboutDlg(QWidget* parent = nullptr);

  signals:
    void linkActivated();
};

}  // namespace zadaravod
