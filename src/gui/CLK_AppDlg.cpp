#include "gui/CLK_AppDlg.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QDesktopServices>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QTimer>
#include <QUrl>
#include <utility>

#include "audio/SdlPlayer.h"
#include "gui/CommandIds.h"
#include "gui/CommandState.h"
#include "gui/Language.h"
#include "gui/ListControls.h"
#include "gui/MenuTips.h"
#include "gui/ViewTexts.h"
#include "gui/WindowSettings.h"
#include "model/MemoryGauge.h"
#include "model/Settings.h"

/// The icons live in this static library; register them before first use.
static void initWindowResources() { Q_INIT_RESOURCE(icons); }

namespace zadaravod {
namespace {

QString q(const std::string& s) { return QString::fromStdString(s); }

/// The launcher of a running editor: detached processes and the desktop's
/// viewer for addresses.
class QtLauncher : public Launcher {
  public:
    bool startDetached(const std::string& program,
                       const std::vector<std::string>& arguments) override {
        QStringList list;
        for (const std::string& a : arguments) list << q(a);
        return QProcess::startDetached(q(program), list);
    }
    bool openUrl(const std::string& url) override {
        return QDesktopServices::openUrl(QUrl(q(url)));
    }
};

std::vector<std::vector<QString>> libraryRows(const CSoundList& list) {
    std::vector<std::vector<QString>> rows;
    int i = 0;
    for (const CSound& r : list) {
        const auto texts = libraryViewRowTexts(r, i++);
        rows.emplace_back();
        for (const std::string& t : texts) rows.back().push_back(q(t));
    }
    return rows;
}

}  // namespace

CLK_AppDlg::CLK_AppDlg(AppPaths paths, QWidget* parent) : QMainWindow(parent), ui_(this) {
    initWindowResources();
    setObjectName(QStringLiteral("CLK_AppDlg"));
    setWindowTitle(coreText(ProjectFiles::kStartTitle));
    setWindowIcon(QIcon(QStringLiteral(":/icons/zadaravod.svg")));
    editor_ = std::make_unique<ProjectFiles>(ui_, std::move(paths), this);
    setPlayer(std::make_unique<SdlPlayer>());
    playlists_ = std::make_unique<PlaylistEditor>(editor_->project(), ui_);
    defaultLauncher_ = std::make_unique<QtLauncher>();
    launcher_ = defaultLauncher_.get();
    menuTips_ = std::make_unique<CMenuTipManager>(commandPrompt);

    w_ = buildMainWindow(*this, [this](int id) { return commandAction(id); });
    for (QAction* top : menuBar()->actions()) {
        if (QMenu* m = top->menu()) menuTips_->install(m);
    }
    CommandState::Targets targets{
        .action = [this](int id) { return commandAction(id); },
        .libraryView = w_.libraryView,
        .playlistView = w_.playlistView,
        .musicView = w_.musicView,
        .projectControls = {w_.listCombo, w_.flashCombo, w_.plusButton, w_.minusButton, w_.listBox,
                            w_.listSpin},
        .history = &editor_->history(),
    };
    commandState_ = std::make_unique<CommandState>(project(), std::move(targets));
    addCommands();
    for (const auto& [id, action] : w_.actions) {
        connect(action, &QAction::triggered, this, [this, id = id] { route(id); });
    }
    connectControls();
    restoreImportOptions();
    setAcceptDrops(true);
    showLanguageChecks();
    recent_ = RecentProjects(storedRecentProjects());
    fillRecentMenu();

    ui_.setStatusSink([this](const QString& text) { statusBar()->showMessage(text, 5000); });
    ui_.setProgressSink([this](int done, int total) {
        w_.progressBar->setRange(0, total > 0 ? total : 0);
        w_.progressBar->setValue(done);
    });

    // Start-up state: no project, flash size "4M", list 0, both bars shown.
    {
        const QSignalBlocker block(w_.flashCombo);
        w_.flashCombo->setCurrentIndex(0);
    }
    project().flashSize.sizeIndex = 0;
    refreshCommandState(false);
    updateMemoryGauge();

    timer_ = new QTimer(this);
    timer_->setObjectName(QStringLiteral("playbackTimer"));
    connect(timer_, &QTimer::timeout, this, &CLK_AppDlg::onTimer);
    timer_->start(30);
}

CLK_AppDlg::~CLK_AppDlg() {
    // The worker reports through queued calls to this window: it ends first.
    if (playback_) playback_->stopAndJoin();
}

void CLK_AppDlg::setPlayer(std::unique_ptr<Player> player, PlaybackOptions options) {
    if (playback_) playback_->stopAndJoin();
    playback_.reset();
    player_ = std::move(player);
    if (options.converterPath.empty()) options.converterPath = editor_->paths().converterPath();
    playback_ = std::make_unique<Playback>(*player_, playbackEvents(), std::move(options));
}

QAction* CLK_AppDlg::commandAction(int id) const {
    const auto it = w_.actions.find(id);
    return it == w_.actions.end() ? nullptr : it->second;
}

bool CLK_AppDlg::runCommand(int id) {
    QAction* a = commandAction(id);
    if (!a) return false;
    a->trigger();
    return true;
}

bool CLK_AppDlg::openProjectFile(const std::string& path) {
    stopPlaybackAndWait();
    const Done opened = editor_->open(path);
    if (!opened) ui_.tell(opened.error());
    if (opened) rememberOpenProject();
    return opened.ok();
}

void CLK_AppDlg::setLauncher(Launcher* launcher) {
    launcher_ = launcher ? launcher : defaultLauncher_.get();
}

// --- ProjectView ------------------------------------------------------------

void CLK_AppDlg::setTitle(const std::string& title) { setWindowTitle(coreText(title)); }

void CLK_AppDlg::refreshCommandState(bool withProject) {
    if (commandState_->refresh(withProject)) editor_->refreshModeCaption();
}

void CLK_AppDlg::refillViews() {
    fillLibraryView();
    fillPlaylistView();
    fillBackgroundMusicView();
}

void CLK_AppDlg::clearViews() {
    w_.libraryView->setRows({});
    w_.playlistView->setRows({});
    w_.musicView->setRows({});
    // The gauge shows the empty library now, not the project that was left.
    updateMemoryGauge();
}

void CLK_AppDlg::selectList(int n) {
    playlists_->setCurrentList(n);
    const QSignalBlocker blockCombo(w_.listCombo);
    const QSignalBlocker blockBox(w_.listBox);
    w_.listCombo->setCurrentIndex(playlists_->currentList());
    w_.listBox->setCurrentRow(playlists_->currentList());
}

void CLK_AppDlg::selectFlashSize(int index) {
    const QSignalBlocker block(w_.flashCombo);
    w_.flashCombo->setCurrentIndex(index >= 0 && index < kFlashSizeCount ? index : 0);
}

void CLK_AppDlg::setBackgroundMusicViewEnabled(bool enabled) {
    w_.musicView->setEnabled(enabled);
    commandState_->setMusicCommandsEnabled(enabled);
}

void CLK_AppDlg::checkModeItem(int controlMode) {
    for (const cmd::ModeCommand& m : cmd::kModeCommands) {
        w_.actions.at(m.id)->setChecked(m.controlMode == controlMode);
    }
}

void CLK_AppDlg::setModeCaption(const std::string& caption) { w_.modeCaption->setText(q(caption)); }

// --- list views and gauge --------------------------------------------------

void CLK_AppDlg::fillLibraryView() {
    w_.libraryView->setRows(libraryRows(project().library));
    if (const auto enabled = musicViewEnabledAfterLibraryFill(project())) {
        w_.musicView->setEnabled(*enabled);
    }
    updateMemoryGauge();
}

void CLK_AppDlg::fillPlaylistView() {
    std::vector<std::vector<QString>> rows;
    int i = 0;
    for (const CSound& r :
         project().playlists[static_cast<std::size_t>(playlists_->currentList())]) {
        const auto texts = playlistRowTexts(r, i++);
        rows.push_back({q(texts[0]), q(texts[1]), q(texts[2])});
    }
    w_.playlistView->setRows(rows);
    updateMemoryGauge();
    commandState_->playlistViewRefilled();
}

void CLK_AppDlg::fillBackgroundMusicView() {
    w_.musicView->setRows(libraryRows(project().backgroundMusic));
}

void CLK_AppDlg::updateMemoryGauge() {
    const int index = w_.flashCombo->currentIndex() >= 0 ? w_.flashCombo->currentIndex() : 0;
    const MemoryGauge gauge = computeMemoryGauge(project().library, index);
    // Written by the window, not by the C library: its locale may put a comma
    // before the decimals.
    w_.usagePane->setText(q(memoryUsageText(gauge)));
    w_.lengthPane->setText(q(trackLengthText(gauge)));
}

// --- timer, keys, close ----------------------------------------------------

void CLK_AppDlg::onTimer() {
    // The commands come back only as far as a project is open.
    if (playback_->tick()) refreshCommandState(project().projectOpen);
}

void CLK_AppDlg::keyPressEvent(QKeyEvent* event) {
    // Neither Enter nor Escape does anything in the window itself.
    switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Escape:
            event->accept();
            return;
        default:
            QMainWindow::keyPressEvent(event);
    }
}

void CLK_AppDlg::closeEvent(QCloseEvent* event) {
    // A project that could not be saved keeps the window open, so nothing is
    // lost; the user was told why and can close the project or save a copy.
    stopPlaybackAndWait();
    if (!showRefusal(editor_->exit())) {
        event->ignore();
        return;
    }
    timer_->stop();
    event->accept();
}

}  // namespace zadaravod
