#pragma once

#include <QWidget>

#include "downloader/DownloadJob.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QThread;

namespace zadaravod::download {

/// The download utility's window: the image and what it holds, the
/// programmer, the jobs (Detect, Read..., Verify, Write to flash, with the
/// check box that saves the chip's present content first, on by default),
/// progress and the result. One job runs at a time, on a worker thread; the
/// window only shows its steps.
class DownloadWindow : public QWidget {
    Q_OBJECT
  public:
    explicit DownloadWindow(const DownloadRequest& initial, QWidget* parent = nullptr);
    ~DownloadWindow() override;

    /// Shows `path` and what the image holds.
    void setImage(const QString& path);

    /// Saves the chip's whole content into `path` (the Read... button asks
    /// for it first).
    void startRead(const QString& path);

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void browse();
    void chooseReadFile();
    /// Starts `action` with the image and programmer shown.
    void start(Action action, const QString& readPath = {});
    void finished(const DownloadReport& report);

    DownloadRequest request_;
    QLineEdit* imagePath_ = nullptr;
    QPlainTextEdit* imageInfo_ = nullptr;
    QComboBox* programmer_ = nullptr;
    QCheckBox* backupFirst_ = nullptr;
    QList<QPushButton*> jobButtons_;
    QProgressBar* progress_ = nullptr;
    QLabel* step_ = nullptr;
    QPlainTextEdit* log_ = nullptr;
    QLabel* result_ = nullptr;
    QThread* worker_ = nullptr;
};

}  // namespace zadaravod::download
