#pragma once

#include <QWidget>

#include "downloader/DownloadJob.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QThread;

namespace zadaravod::download {

/// The download utility's window: the image and what it holds, the
/// programmer, a Write button, progress and the result. The download runs on
/// a worker thread; the window only shows its steps.
class DownloadWindow : public QWidget {
    Q_OBJECT
  public:
    explicit DownloadWindow(const DownloadRequest& initial, QWidget* parent = nullptr);
    ~DownloadWindow() override;

    /// Shows `path` and what the image holds.
    void setImage(const QString& path);

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void browse();
    void startWrite();
    void finished(const DownloadReport& report);

    DownloadRequest request_;
    QLineEdit* imagePath_ = nullptr;
    QPlainTextEdit* imageInfo_ = nullptr;
    QComboBox* programmer_ = nullptr;
    QPushButton* write_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QLabel* step_ = nullptr;
    QPlainTextEdit* log_ = nullptr;
    QLabel* result_ = nullptr;
    QThread* worker_ = nullptr;
};

}  // namespace zadaravod::download
