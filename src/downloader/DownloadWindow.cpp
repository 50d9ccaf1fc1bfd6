#include "downloader/DownloadWindow.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDateTime>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QThread>
#include <QVBoxLayout>
#include <ctime>

#include "downloader/ImageSummary.h"
#include "io/AtomicFile.h"

namespace zadaravod::download {

namespace {
/// Forwards the worker's steps to the window, on the window's thread.
class WindowObserver : public DownloadObserver {
  public:
    WindowObserver(QObject* target, QProgressBar* bar, QLabel* step, QPlainTextEdit* log)
        : target_(target), bar_(bar), step_(step), log_(log) {}
    void step(const std::string& text, int percent) override {
        const QString t = QString::fromStdString(text);
        QMetaObject::invokeMethod(
            target_,
            [bar = bar_, label = step_, log = log_, t, percent] {
                bar->setValue(percent);
                label->setText(t);
                log->appendPlainText("== " + t);
            },
            Qt::QueuedConnection);
    }
    void outputLine(const std::string& line) override {
        const QString t = QString::fromStdString(line);
        QMetaObject::invokeMethod(
            target_, [log = log_, t] { log->appendPlainText(t); }, Qt::QueuedConnection);
    }

  private:
    QObject* target_;
    QProgressBar* bar_;
    QLabel* step_;
    QPlainTextEdit* log_;
};
}  // namespace

DownloadWindow::DownloadWindow(const DownloadRequest& initial, QWidget* parent)
    : QWidget(parent), request_(initial) {
    setWindowTitle("LARK40 download utility");
    setObjectName("downloadWindow");

    imagePath_ = new QLineEdit(this);
    imagePath_->setObjectName("imagePath");
    auto* browse = new QPushButton("Browse...", this);
    browse->setObjectName("browseButton");
    auto* imageRow = new QHBoxLayout;
    imageRow->addWidget(imagePath_);
    imageRow->addWidget(browse);

    imageInfo_ = new QPlainTextEdit(this);
    imageInfo_->setObjectName("imageInfo");
    imageInfo_->setReadOnly(true);

    programmer_ = new QComboBox(this);
    programmer_->setObjectName("programmer");
    programmer_->setEditable(true);
    programmer_->addItems({"ch341a_spi", "ft2232_spi:type=2232H", "serprog:dev=/dev/ttyUSB0",
                           "buspirate_spi:dev=/dev/ttyUSB0", "linux_spi:dev=/dev/spidev0.0",
                           "dediprog", "pickit2_spi"});
    programmer_->setCurrentText(QString::fromStdString(request_.programmer));
    programmer_->setToolTip("Any flashrom programmer string is accepted.");

    backupFirst_ = new QCheckBox("Save the chip's present content first", this);
    backupFirst_->setObjectName("backupFirst");
    backupFirst_->setChecked(true);
    backupFirst_->setToolTip(
        "Before writing, read the whole chip into the image's folder as "
        "chip-before-write-<date>-<time>.bin, so that a wrong write can be undone by writing "
        "that file.");
    auto* detect = new QPushButton("Detect", this);
    detect->setObjectName("detectButton");
    detect->setToolTip("Name the programmer's chip and its size.");
    auto* read = new QPushButton("Read...", this);
    read->setObjectName("readButton");
    read->setToolTip("Save the chip's whole content into a file.");
    auto* verify = new QPushButton("Verify", this);
    verify->setObjectName("verifyButton");
    verify->setToolTip("Compare the chip with the image, writing nothing.");
    auto* write = new QPushButton("Write to flash", this);
    write->setObjectName("writeButton");
    write->setDefault(true);
    jobButtons_ = {detect, read, verify, write};
    auto* buttons = new QHBoxLayout;
    for (QPushButton* button : jobButtons_) buttons->addWidget(button);
    progress_ = new QProgressBar(this);
    progress_->setObjectName("progress");
    progress_->setRange(0, 100);
    progress_->setValue(0);
    step_ = new QLabel(this);
    log_ = new QPlainTextEdit(this);
    log_->setObjectName("log");
    log_->setReadOnly(true);
    result_ = new QLabel(this);
    result_->setObjectName("result");
    result_->setWordWrap(true);
    result_->setTextInteractionFlags(Qt::TextSelectableByMouse);  // the paths it names

    auto* form = new QFormLayout;
    form->addRow("Image:", imageRow);
    form->addRow("It holds:", imageInfo_);
    form->addRow("Programmer:", programmer_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(backupFirst_);
    layout->addLayout(buttons);
    layout->addWidget(progress_);
    layout->addWidget(step_);
    layout->addWidget(log_);
    layout->addWidget(result_);
    resize(640, 560);

    connect(browse, &QPushButton::clicked, this, &DownloadWindow::browse);
    connect(detect, &QPushButton::clicked, this, [this] { start(Action::Detect); });
    connect(read, &QPushButton::clicked, this, &DownloadWindow::chooseReadFile);
    connect(verify, &QPushButton::clicked, this, [this] { start(Action::Verify); });
    connect(write, &QPushButton::clicked, this, [this] { start(Action::Write); });
    connect(imagePath_, &QLineEdit::editingFinished, this,
            [this] { setImage(imagePath_->text()); });
    setImage(QString::fromStdString(request_.imagePath));
}

DownloadWindow::~DownloadWindow() {
    // A write in progress runs to its end: stopping flashrom halfway could
    // leave the chip half written.
    if (worker_) {
        worker_->wait();
        delete worker_;
    }
}

void DownloadWindow::setImage(const QString& path) {
    imagePath_->setText(path);
    imageInfo_->clear();
    if (path.isEmpty()) {
        imageInfo_->setPlainText("Choose the image file (*.bin) built by the editor.");
        return;
    }
    std::int64_t size = 0;
    const std::string problem = checkImageFile(path.toStdString(), size);
    if (!problem.empty()) {
        imageInfo_->setPlainText(QString::fromStdString(problem));
        return;
    }
    std::string bytes;
    std::string error;
    if (!readWholeFile(path.toStdString(), bytes, error,
                       static_cast<std::uintmax_t>(kMaxImageBytes))) {
        imageInfo_->setPlainText(QString::fromStdString(error));
        return;
    }
    const auto lines = describeImage(std::span<const std::uint8_t>(
        reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
    QStringList text;
    for (const std::string& line : lines) text << QString::fromStdString(line);
    imageInfo_->setPlainText(text.join('\n'));
}

void DownloadWindow::browse() {
    const QString path = QFileDialog::getOpenFileName(this, "Image", imagePath_->text(),
                                                      "BIN Files (*.bin);;All files (*)");
    if (!path.isEmpty()) setImage(path);
}

void DownloadWindow::chooseReadFile() {
    const QFileInfo image(imagePath_->text());
    const QString folder = image.fileName().isEmpty() ? QString() : image.absolutePath();
    const QString suggested = folder + (folder.isEmpty() ? "" : "/") +
                              QDateTime::currentDateTime().toString("'chip-'yyyyMMdd-HHmmss'.bin'");
    const QString path = QFileDialog::getSaveFileName(this, "Save the chip's content", suggested,
                                                      "BIN Files (*.bin);;All files (*)");
    if (!path.isEmpty()) startRead(path);
}

void DownloadWindow::startRead(const QString& path) { start(Action::Read, path); }

void DownloadWindow::start(Action action, const QString& readPath) {
    if (worker_) return;
    request_.action = action;
    request_.imagePath = imagePath_->text().toStdString();
    request_.programmer = programmer_->currentText().trimmed().toStdString();
    request_.readPath = readPath.toStdString();
    request_.backupPath.clear();
    if (action == Action::Write && backupFirst_->isChecked() && !request_.imagePath.empty()) {
        // Into the project folder, which holds the image.
        const QString folder = QFileInfo(imagePath_->text()).absolutePath();
        request_.backupPath = backupFileName(folder.toStdString(), std::time(nullptr));
    }
    for (QPushButton* button : jobButtons_) button->setEnabled(false);
    result_->clear();
    log_->clear();
    progress_->setValue(0);
    const DownloadRequest request = request_;
    worker_ = QThread::create([this, request] {
        SystemProcessRunner runner;
        WindowObserver observer(this, progress_, step_, log_);
        const DownloadReport report = runJob(request, runner, &observer);
        QMetaObject::invokeMethod(
            this, [this, report] { finished(report); }, Qt::QueuedConnection);
    });
    worker_->start();
}

void DownloadWindow::finished(const DownloadReport& report) {
    if (worker_) {
        worker_->wait();
        delete worker_;
        worker_ = nullptr;
    }
    for (QPushButton* button : jobButtons_) button->setEnabled(true);
    if (report.ok) progress_->setValue(100);
    result_->setText(QString::fromStdString(report.message));
    result_->setStyleSheet(report.ok ? "color: darkgreen;" : "color: darkred;");
}

void DownloadWindow::closeEvent(QCloseEvent* event) {
    if (worker_) {
        // Stopping flashrom halfway could leave the chip half written.
        result_->setText("The chip is being worked on; wait until it ends before closing.");
        event->ignore();
        return;
    }
    event->accept();
}

}  // namespace zadaravod::download
