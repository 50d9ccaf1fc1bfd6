#include "gui/CLK_AppDlg.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDesktopServices>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
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
#include <QToolBar>
#include <filesystem>
#include <utility>

#include "gui/AboutDlg.h"
#include "gui/CommandIds.h"
#include "gui/ListControls.h"
#include "gui/MenuTips.h"
#include "gui/ViewTexts.h"
#include "format/ImageFormat.h"
#include "commands/BackgroundMusic.h"
#include "commands/Conversion.h"
#include "commands/Library.h"
#include "rules/Silence.h"
#include "gui/EquationSetupDlg.h"
#include "gui/KeySetupDlg.h"
#include "gui/OptionsDlg.h"
#include "commands/Build.h"
#include "model/MemoryGauge.h"
#include "model/Settings.h"

/// The icons live in this static library; register them before first use.
static void initWindowResources() { Q_INIT_RESOURCE(icons); }

namespace zadaravod {
namespace {

QString q(const std::string& s) { return QString::fromStdString(s); }

/// The control mode each mode command sets.
constexpr std::pair<int, int> kModeCommands[] = {
    {cmd::kModeOneLine, kModeOneLine}, {cmd::kModeThreeLine, kModeThreeLine},
    {cmd::kModeMp3, kModeMp3},         {cmd::kModeMatrix, kModeMatrix},
    {cmd::kModeParallel, kModeParallel}, {cmd::kModeKey, kModeKey}};

/// The commands the refresh enables with a project, and those it grays
/// without one (the two lists differ: the view toggles are never grayed,
/// 32834 is never enabled, "Excel" follows the image file).
constexpr int kEnabledWithProject[] = {
    cmd::kBuild,       cmd::kOptions,     cmd::kKeySetup,    cmd::kEquationSetup,
    cmd::kModeKey,     cmd::kModeOneLine, cmd::kModeThreeLine, cmd::kModeParallel,
    cmd::kModeMatrix,  cmd::kViewToolbar, cmd::kViewStatusBar, cmd::kChooseImage,
    cmd::kConvert,     cmd::kSaveAs,      cmd::kCloseProject, cmd::kSave};
constexpr int kGrayedWithoutProject[] = {
    cmd::kBuild,        cmd::kOptions,      cmd::kKeySetup,     cmd::kEquationSetup,
    cmd::kModeKey,      cmd::kModeMp3,      cmd::kModeOneLine,  cmd::kModeThreeLine,
    cmd::kModeParallel, cmd::kModeMatrix,   cmd::kChooseImage,  cmd::kConvert,
    cmd::kSaveAs,       cmd::kCloseProject, cmd::kSave,         cmd::kExcel};

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

/// Pixels of one dialog unit of the window template, across and down.
constexpr double kUnitX = 1.5;
constexpr double kUnitY = 1.625;
int ux(int units) { return static_cast<int>(units * kUnitX + 0.5); }
int uy(int units) { return static_cast<int>(units * kUnitY + 0.5); }

}  // namespace

CLK_AppDlg::CLK_AppDlg(AppPaths paths, QWidget* parent) : QMainWindow(parent), ui_(this) {
    initWindowResources();
    setObjectName(QStringLiteral("CLK_AppDlg"));
    setWindowTitle(QString::fromUtf8(ProjectFiles::kStartTitle));
    setWindowIcon(QIcon(QStringLiteral(":/icons/zadaravod.svg")));
    editor_ = std::make_unique<ProjectFiles>(ui_, std::move(paths), this);
    playlists_ = std::make_unique<PlaylistEditor>(editor_->project(), ui_);
    defaultLauncher_ = std::make_unique<QtLauncher>();
    launcher_ = defaultLauncher_.get();
    menuTips_ = std::make_unique<CMenuTipManager>(commandPrompt);

    createActions();
    createMenus();
    createToolBar();
    createControls();
    createStatusBar();
    connectControls();

    ui_.setStatusSink([this](const QString& text) { statusBar()->showMessage(text, 5000); });
    ui_.setProgressSink([this](int done, int total) {
        progressBar_->setRange(0, total > 0 ? total : 0);
        progressBar_->setValue(done);
    });

    // Start-up state: no project, flash size "4M", list 0, both bars shown.
    {
        const QSignalBlocker block(flashCombo_);
        flashCombo_->setCurrentIndex(0);
    }
    project().flashSize.sizeIndex = 0;
    refreshCommandState(false);
    updateMemoryGauge();

    timer_ = new QTimer(this);
    timer_->setObjectName(QStringLiteral("playbackTimer"));
    connect(timer_, &QTimer::timeout, this, &CLK_AppDlg::onTimer);
    timer_->start(30);

    setMinimumSize(800, 500);
    resize(ux(541) + 16, uy(314) + 110);
}

CLK_AppDlg::~CLK_AppDlg() = default;

// --- construction ----------------------------------------------------------

QAction* CLK_AppDlg::makeAction(int id, const QString& text, const QKeySequence& key) {
    auto* a = new QAction(text, this);
    a->setObjectName(QStringLiteral("action_%1").arg(id));
    if (!key.isEmpty()) a->setShortcut(key);
    connect(a, &QAction::triggered, this, [this, id] { route(id); });
    addAction(a);  // so that actions without a menu item are reachable by id
    actions_[id] = a;
    return a;
}

void CLK_AppDlg::createActions() {
    makeAction(cmd::kNew, QStringLiteral("Создать"), Qt::Key_F2);
    makeAction(cmd::kOpen, QStringLiteral("Открыть"), Qt::Key_F3);
    makeAction(cmd::kSave, QStringLiteral("Сохранить"));
    makeAction(cmd::kSaveAs, QStringLiteral("Сохранить как"), QKeySequence(Qt::CTRL | Qt::Key_S));
    makeAction(cmd::kCloseProject, QStringLiteral("Закрыть проект"),
               QKeySequence(Qt::CTRL | Qt::Key_C));
    makeAction(cmd::kExit, QStringLiteral("Выход"), QKeySequence(Qt::CTRL | Qt::Key_E));
    makeAction(cmd::kExcel, QStringLiteral("Excel"));
    makeAction(cmd::kViewToolbar, QStringLiteral("Панель инструментов"))->setCheckable(true);
    makeAction(cmd::kViewStatusBar, QStringLiteral("Строка состояния"))->setCheckable(true);
    makeAction(cmd::kModeKey, QStringLiteral("Ключевой"))->setCheckable(true);
    makeAction(cmd::kModeOneLine, QStringLiteral("Однопроводный"))->setCheckable(true);
    makeAction(cmd::kModeThreeLine, QStringLiteral("3-х проводный"))->setCheckable(true);
    makeAction(cmd::kModeParallel, QStringLiteral("Параллельный порт"))->setCheckable(true);
    makeAction(cmd::kModeMatrix, QStringLiteral("Матрица 3x8"))->setCheckable(true);
    makeAction(cmd::kModeMp3, QStringLiteral("Mp3"))->setCheckable(true);
    makeAction(cmd::kBuild, QStringLiteral("Собрать образ (BIN)"), Qt::Key_F4);
    makeAction(cmd::kOptions, QStringLiteral("Конфигурация кодека"));
    makeAction(cmd::kKeySetup, QStringLiteral("Настройка ключевого режима"))->setEnabled(false);
    makeAction(cmd::kEquationSetup, QStringLiteral("Настройки выравнивания"));
    makeAction(cmd::kDownload, QStringLiteral("Загрузить в устройство"), Qt::Key_F5);
    makeAction(cmd::kChooseImage, QStringLiteral("Образ"));
    makeAction(cmd::kConvert, QStringLiteral("MP3/WMA в WAV"));
    makeAction(cmd::kCompanion, QStringLiteral("Русский"));
    makeAction(cmd::kEnglish, QStringLiteral("Английский"));
    makeAction(cmd::kAbout, QStringLiteral("О программе"));
    makeAction(cmd::kAboutAlt, QStringLiteral("О программе"));
    makeAction(cmd::kHelp, QStringLiteral("Помощь"), Qt::Key_F1);

    const auto icon = [](const char* name) {
        return QIcon(QStringLiteral(":/icons/%1.svg").arg(QLatin1String(name)));
    };
    makeAction(cmd::kToolNew, QString())->setIcon(icon("new"));
    makeAction(cmd::kToolOpen, QString())->setIcon(icon("open"));
    makeAction(cmd::kToolBuild, QString())->setIcon(icon("build"));
    makeAction(cmd::kToolOptions, QString())->setIcon(icon("options"));
    makeAction(cmd::kToolDownload, QString())->setIcon(icon("download"));
    makeAction(cmd::kToolHelp, QString())->setIcon(icon("help"));
    for (int id : {cmd::kToolNew, cmd::kToolOpen, cmd::kToolBuild, cmd::kToolOptions,
                   cmd::kToolDownload, cmd::kToolHelp}) {
        // The tooltip is the part after the prompt's line break, or all of it.
        const QString prompt = q(commandPrompt(id));
        const int br = prompt.indexOf(QLatin1Char('\n'));
        actions_[id]->setToolTip(br < 0 ? prompt : prompt.mid(br + 1));
        actions_[id]->setText(actions_[id]->toolTip());
    }

    makeAction(cmd::kLibraryLoad, QStringLiteral("&Загрузить"));
    makeAction(cmd::kLibraryDelete, QStringLiteral("&Удалить"));
    makeAction(cmd::kLibraryClear, QStringLiteral("&Очистить"));
    makeAction(cmd::kLibraryPlay, QStringLiteral("&Воспроизвести"));
    makeAction(cmd::kMusicLoad, QStringLiteral("&Загрузить"));
    makeAction(cmd::kMusicClear, QStringLiteral("&Очистить"));
    makeAction(cmd::kMusicPlay, QStringLiteral("&Воспроизвести"));
    makeAction(cmd::kInsertTrack, QStringLiteral("Трек"));
    makeAction(cmd::kSilence10, QStringLiteral("&10 мСек"));
    makeAction(cmd::kSilence20, QStringLiteral("&20 мСек"));
    makeAction(cmd::kSilence50, QStringLiteral("&50 мСек"));
    makeAction(cmd::kSilence100, QStringLiteral("100 мСек"));
    makeAction(cmd::kSilence200, QStringLiteral("200 мСек"));
    makeAction(cmd::kSilence300, QStringLiteral("300 мСек"));
    makeAction(cmd::kInsertSilence, QStringLiteral("Произвольная тишина"));
    makeAction(cmd::kPlaylistDelete, QStringLiteral("&Удалить"));
    makeAction(cmd::kPlaylistClear, QStringLiteral("&Очистить"));
    makeAction(cmd::kPlaylistClearAll, QStringLiteral("Очистить &все"));
    makeAction(cmd::kPlaylistPlay, QStringLiteral("&Воспроизвести"));
    // The keys of the list views act on key release in the views themselves.
    for (int id : {cmd::kLibraryDelete, cmd::kLibraryPlay, cmd::kPlaylistDelete,
                   cmd::kPlaylistPlay}) {
        actions_[id]->setShortcutContext(Qt::WidgetShortcut);
    }
}

void CLK_AppDlg::createMenus() {
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("menuBar"));
    const auto menu = [&](const char* name, const QString& caption) {
        QMenu* m = bar->addMenu(caption);
        m->setObjectName(QLatin1String(name));
        return m;
    };
    const auto add = [&](QMenu* m, int id) { m->addAction(actions_.at(id)); };

    QMenu* file = menu("menu_file", QStringLiteral("&Файл"));
    for (int id : {cmd::kNew, cmd::kOpen, cmd::kSave, cmd::kSaveAs, cmd::kCloseProject}) add(file, id);
    file->addSeparator();
    add(file, cmd::kExit);
    add(file, cmd::kExcel);

    QMenu* view = menu("menu_view", QStringLiteral("&Вид"));
    add(view, cmd::kViewToolbar);
    add(view, cmd::kViewStatusBar);
    actions_.at(cmd::kViewToolbar)->setChecked(true);
    actions_.at(cmd::kViewStatusBar)->setChecked(true);

    QMenu* mode = menu("menu_mode", QStringLiteral("&Режим"));
    for (int id : {cmd::kModeKey, cmd::kModeOneLine, cmd::kModeThreeLine, cmd::kModeParallel,
                   cmd::kModeMatrix}) {
        add(mode, id);
    }

    QMenu* actionsMenu = menu("menu_actions", QStringLiteral("&Действия"));
    add(actionsMenu, cmd::kBuild);
    actionsMenu->addSeparator();
    add(actionsMenu, cmd::kOptions);
    add(actionsMenu, cmd::kKeySetup);
    add(actionsMenu, cmd::kEquationSetup);

    QMenu* tools = menu("menu_tools", QStringLiteral("&Инструменты"));
    add(tools, cmd::kDownload);

    languageMenu_ = menu("menu_language", QStringLiteral("&Язык"));
    add(languageMenu_, cmd::kCompanion);
    add(languageMenu_, cmd::kEnglish);
    languageMenu_->menuAction()->setEnabled(false);

    QMenu* help = menu("menu_help", QStringLiteral("&Помощь"));
    add(help, cmd::kAbout);
    add(help, cmd::kHelp);

    for (QAction* top : bar->actions()) {
        if (QMenu* m = top->menu()) menuTips_->install(m);
    }
}

void CLK_AppDlg::createToolBar() {
    toolBar_ = addToolBar(QStringLiteral("Панель инструментов"));
    toolBar_->setObjectName(QStringLiteral("control_%1").arg(ctl::kToolbar));
    toolBar_->setIconSize(QSize(36, 36));
    toolBar_->setMovable(false);
    toolBar_->setFloatable(false);
    toolBar_->toggleViewAction()->setEnabled(false);
    toolBar_->addAction(actions_.at(cmd::kToolNew));
    toolBar_->addAction(actions_.at(cmd::kToolOpen));
    toolBar_->addSeparator();
    toolBar_->addAction(actions_.at(cmd::kToolBuild));
    toolBar_->addAction(actions_.at(cmd::kToolOptions));
    toolBar_->addSeparator();
    toolBar_->addAction(actions_.at(cmd::kToolDownload));
    toolBar_->addSeparator();
    toolBar_->addAction(actions_.at(cmd::kToolHelp));
    for (QAction* a : toolBar_->actions()) {
        if (QWidget* button = toolBar_->widgetForAction(a); button && !a->isSeparator()) {
            button->setObjectName(QStringLiteral("button_%1").arg(commandIdOf(a)));
        }
    }
}

void CLK_AppDlg::createControls() {
    auto* central = new QWidget(this);
    central->setObjectName(QStringLiteral("centralWidget"));
    setCentralWidget(central);
    const ActionLookup lookup = [this](int id) { return commandAction(id); };

    musicView_ = new CListCtrl_Backgroundmusic(lookup, central);
    libraryView_ = new CListCtrl_Snd_Lib(lookup, central);
    playlistView_ = new CListCtrl_Playlist(lookup, central);
    musicView_->setEnabled(false);

    progressBar_ = new QProgressBar(central);
    progressBar_->setObjectName(QStringLiteral("control_%1").arg(ctl::kProgress));
    progressBar_->setRange(0, 100);
    progressBar_->setValue(0);
    progressBar_->setTextVisible(false);
    progressBar_->setFixedHeight(uy(14));

    plusButton_ = new QPushButton(QStringLiteral("+"), central);
    plusButton_->setObjectName(QStringLiteral("control_%1").arg(ctl::kPlus));
    plusButton_->hide();
    minusButton_ = new QPushButton(QStringLiteral("-"), central);
    minusButton_->setObjectName(QStringLiteral("control_%1").arg(ctl::kMinus));
    minusButton_->hide();

    listCombo_ = new QComboBox(central);
    listCombo_->setObjectName(QStringLiteral("control_%1").arg(ctl::kListCombo));
    listSpin_ = new ListSpin(central);
    listBox_ = new QListWidget(central);
    listBox_->setObjectName(QStringLiteral("control_%1").arg(ctl::kListBox));
    listBox_->setFixedWidth(ux(37) + 12);
    for (int n = 0; n < kPlaylistCount; ++n) {
        listBox_->addItem(q(listNumberText(n)));
        listCombo_->addItem(q(listNumberText(n)));
    }
    listBox_->setCurrentRow(0);
    listCombo_->setCurrentIndex(0);
    listCombo_->setMaxVisibleItems(20);

    flashCombo_ = new QComboBox(central);
    flashCombo_->setObjectName(QStringLiteral("control_%1").arg(ctl::kFlashCombo));
    for (int i = 0; i < kFlashSizeCount; ++i) flashCombo_->addItem(QString::fromUtf8(flashSizeCaption(i)));

    modeCaption_ = new QLineEdit(central);
    modeCaption_->setObjectName(QStringLiteral("control_%1").arg(ctl::kModeCaption));
    modeCaption_->setReadOnly(true);
    modeCaption_->setFocusPolicy(Qt::NoFocus);
    modeCaption_->setFixedWidth(ux(78) + 20);

    const auto label = [&](int id, const QString& text) {
        auto* l = new QLabel(text, central);
        l->setObjectName(QStringLiteral("control_%1").arg(id));
        return l;
    };

    // The template's layout kept by Qt layouts: the library column keeps its
    // width, the playlist view takes the new width, the lists take the new
    // height, the flash-size pair stays at the right edge and the progress bar
    // spans the bottom.
    auto* grid = new QGridLayout(central);
    grid->setContentsMargins(ux(7), uy(7), ux(7), uy(4));
    grid->setHorizontalSpacing(ux(5));
    grid->setVerticalSpacing(uy(3));

    musicView_->setFixedHeight(uy(30));
    libraryView_->setMinimumWidth(ux(294));
    libraryView_->setMaximumWidth(ux(294));
    musicView_->setMaximumWidth(ux(294));
    playlistView_->setMinimumWidth(ux(160));

    grid->addWidget(musicView_, 0, 0, 2, 1);
    grid->addWidget(libraryView_, 2, 0);

    auto* modeRow = new QHBoxLayout;
    modeRow->addWidget(label(ctl::kModeLabel, QStringLiteral("Режим:")));
    modeRow->addWidget(modeCaption_);
    modeRow->addStretch(1);
    modeRow->addWidget(plusButton_);
    modeRow->addWidget(minusButton_);
    grid->addLayout(modeRow, 0, 1, 1, 2);

    auto* listRow = new QHBoxLayout;
    listRow->setSpacing(ux(3));
    listRow->addWidget(label(ctl::kListLabel, QStringLiteral("Список № :")));
    listRow->addWidget(listCombo_);
    listRow->addWidget(listSpin_);
    listRow->addStretch(1);
    listRow->addWidget(label(ctl::kFlashLabel, QStringLiteral("Память :")));
    listRow->addWidget(flashCombo_);
    grid->addLayout(listRow, 1, 1, 1, 2);

    grid->addWidget(listBox_, 2, 1);
    grid->addWidget(playlistView_, 2, 2);
    grid->addWidget(progressBar_, 3, 0, 1, 3);
    grid->setColumnStretch(2, 1);
    grid->setRowStretch(2, 1);
}

void CLK_AppDlg::createStatusBar() {
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("control_%1").arg(ctl::kStatusBar));
    bar->setSizeGripEnabled(true);
    lengthPane_ = new QLabel(QStringLiteral("Длинна треков"), bar);
    lengthPane_->setObjectName(QStringLiteral("pane_102"));
    usagePane_ = new QLabel(QStringLiteral("Использование памяти"), bar);
    usagePane_->setObjectName(QStringLiteral("pane_103"));
    usagePane_->setMinimumWidth(200);
    bar->addWidget(lengthPane_, 1);
    bar->addPermanentWidget(usagePane_);
}

void CLK_AppDlg::connectControls() {
    connect(listCombo_, &QComboBox::currentIndexChanged, this, [this](int n) {
        if (n >= 0) switchList(n);
    });
    connect(listBox_, &QListWidget::currentRowChanged, this, [this](int n) {
        if (n >= 0) switchList(n);
    });
    connect(listSpin_, &ListSpin::stepped, this, [this](int delta) {
        playlists_->stepSpin(delta);
        switchList(playlists_->currentList());
    });
    connect(plusButton_, &QPushButton::clicked, this, [this] {
        if (playlists_->stepPlus()) switchList(playlists_->currentList());
    });
    connect(minusButton_, &QPushButton::clicked, this, [this] {
        if (playlists_->stepMinus()) switchList(playlists_->currentList());
    });
    connect(flashCombo_, &QComboBox::currentIndexChanged, this, [this](int index) {
        updateMemoryGauge();
        if (index >= 0) editor_->setFlashSize(index);
    });

    connect(libraryView_, &QAbstractItemView::activated, this, [this](const QModelIndex& index) {
        if (!libraryView_->commandsEnabled() || !index.isValid()) return;
        if (!project().library.empty()) {
            showRefusal(playlists_->appendLibrarySound(index.row()));
            fillPlaylistView();
        }
        updateMemoryGauge();
    });
    connect(playlistView_, &QAbstractItemView::activated, this, [this](const QModelIndex&) {
        if (!playlistView_->commandsEnabled()) return;
        playlists_->replaceEntry(ui_, playlistView_->firstSelectedRow());
        afterPlaylistEdit();
    });
    connect(playlistView_, &CListCtrl::librarySoundDropped, this, [this](int row) {
        if (project().library.empty()) return;
        showRefusal(playlists_->appendLibrarySound(row));
        fillPlaylistView();
    });
    connect(playlistView_, &CListCtrl::entryMoved, this, [this](int from, int to) {
        if (playlists_->moveEntry(from, to)) fillPlaylistView();
    });
    for (CListCtrl* view : {static_cast<CListCtrl*>(libraryView_),
                            static_cast<CListCtrl*>(playlistView_)}) {
        connect(view, &CListCtrl::stopRequested, this, &CLK_AppDlg::stopPlayback);
    }
}

// --- commands --------------------------------------------------------------

template <typename T>
bool CLK_AppDlg::showRefusal(const Result<T>& result) {
    if (!result && !result.error().text.empty()) ui_.tell(result.error());
    return result.ok();
}

QAction* CLK_AppDlg::commandAction(int id) const {
    const auto it = actions_.find(id);
    return it == actions_.end() ? nullptr : it->second;
}

bool CLK_AppDlg::openProjectFile(const std::string& path) {
    const Done opened = editor_->open(path);
    if (!opened) ui_.tell(opened.error());
    return opened.ok();
}

bool CLK_AppDlg::runCommand(int id) {
    QAction* a = commandAction(id);
    if (!a) return false;
    a->trigger();
    return true;
}

void CLK_AppDlg::route(int id) {
    for (const auto& [command, mode] : kModeCommands) {
        if (command == id) {
            editor_->setControlMode(mode);
            return;
        }
    }
    if (const auto silence = fixedSilence(id)) {
        showRefusal(playlists_->insertSilence(silence->durationMs, playlistView_->firstSelectedRow()));
        afterPlaylistEdit();
        return;
    }
    switch (id) {
        case cmd::kNew:
        case cmd::kToolNew: editor_->newProject(ui_); break;
        case cmd::kOpen:
        case cmd::kToolOpen: editor_->openProject(ui_); break;
        case cmd::kSave: showRefusal(editor_->save()); break;
        case cmd::kSaveAs: editor_->saveAsProject(ui_); break;
        case cmd::kCloseProject: showRefusal(editor_->close()); break;
        case cmd::kExit: close(); break;
        case cmd::kViewToolbar: toggleToolbar(); break;
        case cmd::kViewStatusBar: toggleStatusBar(); break;
        case cmd::kAbout:
        case cmd::kAboutAlt: showAbout(); break;
        case cmd::kHelp:
        case cmd::kToolHelp: openHelp(); break;
        case cmd::kDownload:
        case cmd::kToolDownload: startDownloadUtility(editor_->paths(), project(), *launcher_, ui_); break;
        case cmd::kChooseImage: chooseImageFile(project(), ui_); break;
        case cmd::kCompanion: startCompanion(editor_->paths(), *launcher_); break;
        case cmd::kBuild:
        case cmd::kToolBuild: buildImageCommand(); break;
        case cmd::kOptions:
        case cmd::kToolOptions: optionsDialog(); break;
        case cmd::kKeySetup: keySetupDialog(project().options.controlMode); break;
        case cmd::kEquationSetup: equationDialog(); break;
        case cmd::kConvert: runConversionTool(ui_); break;

        case cmd::kLibraryLoad:
            loadLibrarySounds(project(), ui_);
            fillLibraryView();
            break;
        case cmd::kLibraryDelete:
            // A failed file removal has taken the record all the same.
            deleteLibrarySound(project(), ui_, libraryView_->firstSelectedRow());
            fillLibraryView();
            fillPlaylistView();
            break;
        case cmd::kLibraryClear:
            clearLibrary(project(), ui_);
            fillLibraryView();
            fillPlaylistView();
            break;
        case cmd::kMusicLoad:
            loadBackgroundMusic(project(), ui_);
            fillBackgroundMusicView();
            fillLibraryView();
            break;
        case cmd::kMusicClear:
            clearBackgroundMusic(project());
            fillBackgroundMusicView();
            fillLibraryView();
            break;

        case cmd::kInsertTrack:
            playlists_->insertTrack(ui_, playlistView_->firstSelectedRow());
            afterPlaylistEdit();
            break;
        case cmd::kInsertSilence:
            playlists_->insertFreeSilence(ui_, playlistView_->firstSelectedRow());
            afterPlaylistEdit();
            break;
        case cmd::kPlaylistDelete:
            if (playlists_->deleteEntry(ui_, playlistView_->firstSelectedRow())) fillPlaylistView();
            updateMemoryGauge();
            break;
        case cmd::kPlaylistClear:
            if (playlists_->clearList(ui_)) fillPlaylistView();
            updateMemoryGauge();
            break;
        case cmd::kPlaylistClearAll:
            if (playlists_->clearAllLists(ui_)) fillPlaylistView();
            updateMemoryGauge();
            break;

        // Waiting for their flows: playback and the spreadsheet export.
        case cmd::kExcel:
        case cmd::kLibraryPlay:
        case cmd::kMusicPlay:
        case cmd::kPlaylistPlay:
        case cmd::kEnglish:
        default: break;
    }
}

void CLK_AppDlg::afterPlaylistEdit() {
    fillPlaylistView();
    fillLibraryView();
}

void CLK_AppDlg::switchList(int n) {
    playlists_->setCurrentList(n);
    const int current = playlists_->currentList();
    {
        const QSignalBlocker blockCombo(listCombo_);
        const QSignalBlocker blockBox(listBox_);
        listCombo_->setCurrentIndex(current);
        listBox_->setCurrentRow(current);
    }
    fillPlaylistView();
}

void CLK_AppDlg::toggleToolbar() {
    toolbarVisible_ = !toolbarVisible_;
    toolBar_->setVisible(toolbarVisible_);
    actions_.at(cmd::kViewToolbar)->setChecked(toolbarVisible_);
}

void CLK_AppDlg::toggleStatusBar() {
    statusBarVisible_ = !statusBarVisible_;
    statusBar()->setVisible(statusBarVisible_);
    progressBar_->setVisible(statusBarVisible_);
    actions_.at(cmd::kViewStatusBar)->setChecked(statusBarVisible_);
}

void CLK_AppDlg::showAbout() {
    CAboutDlg about(this);
    connect(&about, &CAboutDlg::linkActivated, this, [this] { openHomePage(*launcher_); });
    about.exec();
}

void CLK_AppDlg::setLauncher(Launcher* launcher) {
    launcher_ = launcher ? launcher : defaultLauncher_.get();
}

void CLK_AppDlg::openHelp() {
    // No existence check and no message: the viewer reports a missing page.
    launcher_->openUrl(QUrl::fromLocalFile(q(editor_->paths().helpPath())).toString().toStdString());
}

void CLK_AppDlg::buildImageCommand() {
    showRefusal(buildImage(project(), editor_->paths(), ui_));
    // A new image enables "Excel".
    refreshCommandState(true);
}

void CLK_AppDlg::optionsDialog() {
    COptionsDlg dialog(this);
    dialog.setUserInterface(&ui_);
    dialog.setFromOptions(project().options);
    connect(&dialog, &COptionsDlg::keySetupRequested, this,
            [this](int mode) { keySetupDialog(mode); });
    const int result = dialog.exec();
    COptions chosen = project().options;
    dialog.applyTo(chosen);
    acceptOptionsDialog(*editor_, result, chosen);
}

void CLK_AppDlg::keySetupDialog(int controlMode) {
    CKeySetupDlg dialog(this);
    dialog.setKeyFunctions(project().keys.keyFunction);
    dialog.setControlMode(controlMode);
    const int result = dialog.exec();
    acceptKeySetupDialog(*editor_, result, dialog.keyFunctions());
}

void CLK_AppDlg::equationDialog() {
    CEquationSetupDlg dialog(this);
    dialog.setUserInterface(&ui_);
    dialog.setListOfKey(project().equation.listOfKey);
    dialog.setControlMode(project().options.controlMode);
    const int result = dialog.exec();
    acceptEquationDialog(*editor_, result, dialog.listOfKey());
}

void CLK_AppDlg::stopPlayback() {
    stopRequested = true;
    refreshCommandState(true);
}

// --- ProjectView ------------------------------------------------------------

void CLK_AppDlg::setTitle(const std::string& title) { setWindowTitle(q(title)); }

void CLK_AppDlg::refreshCommandState(bool withProject) {
    const bool on = withProject && project().projectOpen;
    if (on) {
        for (int id : kEnabledWithProject) actions_.at(id)->setEnabled(true);
        std::error_code ec;
        actions_.at(cmd::kExcel)->setEnabled(std::filesystem::exists(project().imagePath(), ec));
        libraryView_->setCommandsEnabled(true);
        playlistView_->setCommandsEnabled(true);
        const int mode = project().options.controlMode;
        if (mode == kModeOneLine || mode == kModeThreeLine) musicView_->setCommandsEnabled(true);
    } else {
        for (int id : kGrayedWithoutProject) actions_.at(id)->setEnabled(false);
        libraryView_->setCommandsEnabled(false);
        playlistView_->setCommandsEnabled(false);
        musicView_->setCommandsEnabled(false);
    }
    // The "clear all" item of the playlist menu is never grayed.
    actions_.at(cmd::kPlaylistClearAll)->setEnabled(true);
    for (int id : {cmd::kToolOptions, cmd::kToolBuild}) actions_.at(id)->setEnabled(on);
    for (QWidget* w : std::initializer_list<QWidget*>{listCombo_, flashCombo_, plusButton_,
                                                      minusButton_, listBox_, listSpin_}) {
        w->setEnabled(on);
    }
    if (on) editor_->refreshModeCaption();
}

void CLK_AppDlg::refillViews() {
    fillLibraryView();
    fillPlaylistView();
    fillBackgroundMusicView();
}

void CLK_AppDlg::clearViews() {
    libraryView_->setRows({});
    playlistView_->setRows({});
    musicView_->setRows({});
    // The gauge shows the empty library now, not the project that was left.
    updateMemoryGauge();
}

void CLK_AppDlg::selectList(int n) {
    playlists_->setCurrentList(n);
    const QSignalBlocker blockCombo(listCombo_);
    const QSignalBlocker blockBox(listBox_);
    listCombo_->setCurrentIndex(playlists_->currentList());
    listBox_->setCurrentRow(playlists_->currentList());
}

void CLK_AppDlg::selectFlashSize(int index) {
    const QSignalBlocker block(flashCombo_);
    flashCombo_->setCurrentIndex(index >= 0 && index < kFlashSizeCount ? index : 0);
}

void CLK_AppDlg::setBackgroundMusicViewEnabled(bool enabled) {
    musicView_->setEnabled(enabled);
    musicView_->setCommandsEnabled(enabled);
}

void CLK_AppDlg::checkModeItem(int controlMode) {
    for (const auto& [command, mode] : kModeCommands) {
        actions_.at(command)->setChecked(mode == controlMode);
    }
}

void CLK_AppDlg::setModeCaption(const std::string& caption) { modeCaption_->setText(q(caption)); }

// --- list views and gauge --------------------------------------------------

namespace {

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

void CLK_AppDlg::fillLibraryView() {
    libraryView_->setRows(libraryRows(project().library));
    if (const auto enabled = musicViewEnabledAfterLibraryFill(project())) {
        musicView_->setEnabled(*enabled);
    }
    updateMemoryGauge();
}

void CLK_AppDlg::fillPlaylistView() {
    std::vector<std::vector<QString>> rows;
    int i = 0;
    for (const CSound& r : project().playlists[static_cast<std::size_t>(playlists_->currentList())]) {
        const auto texts = playlistRowTexts(r, i++);
        rows.push_back({q(texts[0]), q(texts[1]), q(texts[2])});
    }
    playlistView_->setRows(rows);
    updateMemoryGauge();
    actions_.at(cmd::kExcel)->setEnabled(false);
}

void CLK_AppDlg::fillBackgroundMusicView() {
    musicView_->setRows(libraryRows(project().backgroundMusic));
}

void CLK_AppDlg::updateMemoryGauge() {
    const int index = flashCombo_->currentIndex() >= 0 ? flashCombo_->currentIndex() : 0;
    const MemoryGauge gauge = computeMemoryGauge(project().library, index);
    // Written by the window, not by the C library: its locale may put a comma
    // before the decimals.
    usagePane_->setText(q(memoryUsageText(gauge)));
    lengthPane_->setText(q(trackLengthText(gauge)));
}

// --- timer, keys, close ----------------------------------------------------

void CLK_AppDlg::onTimer() {
    if (libraryChannelPlaying && libraryChannelPlaying()) {
        idleTicks_ = 0;
        return;
    }
    if (idleTicks_ >= 10 && playlistDone.exchange(false)) refreshCommandState(true);
    if (idleTicks_ < 10) ++idleTicks_;
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
    if (!showRefusal(editor_->exit())) {
        event->ignore();
        return;
    }
    timer_->stop();
    event->accept();
}

}  // namespace zadaravod
