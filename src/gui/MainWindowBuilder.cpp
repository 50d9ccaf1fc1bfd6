#include "gui/MainWindowBuilder.h"

#include <QAction>
#include <QActionGroup>
#include <QComboBox>
#include <QCoreApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QToolBar>

#include "format/ImageFormat.h"
#include "gui/CommandIds.h"
#include "gui/MainWindowTexts.h"
#include "gui/MenuTips.h"
#include "gui/ViewTexts.h"
#include "model/Settings.h"

namespace zadaravod {
namespace {

QString q(const std::string& s) { return QString::fromStdString(s); }

/// Pixels of one dialog unit of the window template, across and down.
constexpr double kUnitX = 1.5;
constexpr double kUnitY = 1.625;
int ux(int units) { return static_cast<int>(units * kUnitX + 0.5); }
int uy(int units) { return static_cast<int>(units * kUnitY + 0.5); }

/// The toolbar's commands and their icons, in toolbar order.
constexpr std::pair<int, const char*> kToolButtons[] = {
    {cmd::kToolNew, "new"},         {cmd::kToolOpen, "open"},         {cmd::kToolBuild, "build"},
    {cmd::kToolOptions, "options"}, {cmd::kToolDownload, "download"}, {cmd::kToolHelp, "help"}};

class Builder {
  public:
    Builder(QMainWindow& window, const ActionLookup& actionOf)
        : window_(window), actionOf_(actionOf) {}

    MainWindowWidgets build() {
        createActions();
        createMenus();
        createToolBar();
        createControls();
        createStatusBar();
        retranslateMainWindow(window_, w_);
        window_.setMinimumSize(800, 500);
        window_.resize(ux(541) + 16, uy(314) + 110);
        return w_;
    }

  private:
    /// An action with the caption of command `id` in the current language.
    QAction* makeAction(int id, const QKeySequence& key = {});
    QAction* action(int id) const { return w_.actions.at(id); }
    void createActions();
    void createMenus();
    void createToolBar();
    void createControls();
    void createStatusBar();

    QMainWindow& window_;
    const ActionLookup& actionOf_;
    MainWindowWidgets w_;
};

QAction* Builder::makeAction(int id, const QKeySequence& key) {
    auto* a = new QAction(commandCaption(id), &window_);
    a->setObjectName(QStringLiteral("action_%1").arg(id));
    if (!key.isEmpty()) a->setShortcut(key);
    window_.addAction(a);  // so that actions without a menu item are reachable by id
    w_.actions[id] = a;
    return a;
}

void Builder::createActions() {
    makeAction(cmd::kNew, Qt::Key_F2);
    makeAction(cmd::kOpen, Qt::Key_F3);
    makeAction(cmd::kSave);
    makeAction(cmd::kSaveAs, QKeySequence(Qt::CTRL | Qt::Key_S));
    makeAction(cmd::kCloseProject, QKeySequence(Qt::CTRL | Qt::Key_C));
    makeAction(cmd::kExit, QKeySequence(Qt::CTRL | Qt::Key_E));
    makeAction(cmd::kExcel);
    makeAction(cmd::kViewToolbar)->setCheckable(true);
    makeAction(cmd::kViewStatusBar)->setCheckable(true);
    makeAction(cmd::kModeKey)->setCheckable(true);
    makeAction(cmd::kModeOneLine)->setCheckable(true);
    makeAction(cmd::kModeThreeLine)->setCheckable(true);
    makeAction(cmd::kModeParallel)->setCheckable(true);
    makeAction(cmd::kModeMatrix)->setCheckable(true);
    makeAction(cmd::kModeMp3)->setCheckable(true);
    makeAction(cmd::kBuild, Qt::Key_F4);
    makeAction(cmd::kOptions);
    makeAction(cmd::kKeySetup);
    makeAction(cmd::kEquationSetup);
    makeAction(cmd::kDownload, Qt::Key_F5);
    makeAction(cmd::kChooseImage);
    makeAction(cmd::kConvert);
    // Each language item names its language in that language, whatever the
    // interface shows; the window checks the current one.
    makeAction(cmd::kCompanion)->setText(QStringLiteral("Русский"));
    makeAction(cmd::kEnglish)->setText(QStringLiteral("English"));
    auto* languages = new QActionGroup(&window_);
    languages->setExclusive(true);
    for (int id : {cmd::kCompanion, cmd::kEnglish}) {
        action(id)->setCheckable(true);
        languages->addAction(action(id));
    }
    makeAction(cmd::kUndo, QKeySequence::Undo);
    makeAction(cmd::kRedo)
        ->setShortcuts(
            {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
    makeAction(cmd::kCheckProject);
    makeAction(cmd::kAbout);
    makeAction(cmd::kAboutAlt);
    makeAction(cmd::kHelp, Qt::Key_F1);

    for (const auto& [id, icon] : kToolButtons) {
        // The tip and the text come with the window's other texts.
        QAction* a = makeAction(id);
        a->setIcon(QIcon(QStringLiteral(":/icons/%1.svg").arg(QLatin1String(icon))));
    }

    makeAction(cmd::kLibraryLoad);
    makeAction(cmd::kLibraryDelete);
    makeAction(cmd::kLibraryClear);
    makeAction(cmd::kLibraryPlay);
    makeAction(cmd::kMusicLoad);
    makeAction(cmd::kMusicClear);
    makeAction(cmd::kMusicPlay);
    makeAction(cmd::kInsertTrack);
    makeAction(cmd::kSilence10);
    makeAction(cmd::kSilence20);
    makeAction(cmd::kSilence50);
    makeAction(cmd::kSilence100);
    makeAction(cmd::kSilence200);
    makeAction(cmd::kSilence300);
    makeAction(cmd::kInsertSilence);
    makeAction(cmd::kPlaylistDelete);
    makeAction(cmd::kPlaylistClear);
    makeAction(cmd::kPlaylistClearAll);
    makeAction(cmd::kPlaylistPlay);
    // One check item, shown in the three Play menus: play what the chip
    // will play. Off at start; the window keeps it, the project does not.
    QAction* asChip = makeAction(cmd::kPlayAsChip);
    asChip->setCheckable(true);
    asChip->setChecked(false);
    makeAction(cmd::kSpeakText);
    makeAction(cmd::kProcessSound);
    makeAction(cmd::kTrimOnImport)->setCheckable(true);
    makeAction(cmd::kNormalizeOnImport)->setCheckable(true);
    // The keys of the list views act on key release in the views themselves.
    for (int id :
         {cmd::kLibraryDelete, cmd::kLibraryPlay, cmd::kPlaylistDelete, cmd::kPlaylistPlay}) {
        action(id)->setShortcutContext(Qt::WidgetShortcut);
    }
}

void Builder::createMenus() {
    QMenuBar* bar = window_.menuBar();
    bar->setObjectName(QStringLiteral("menuBar"));
    const auto menu = [&](const char* name) {
        QMenu* m = bar->addMenu(menuTitle(QLatin1String(name)));
        m->setObjectName(QLatin1String(name));
        return m;
    };
    const auto add = [&](QMenu* m, std::initializer_list<int> ids) {
        for (int id : ids) m->addAction(action(id));
    };

    QMenu* file = menu("menu_file");
    add(file, {cmd::kNew, cmd::kOpen, cmd::kSave, cmd::kSaveAs, cmd::kCloseProject});
    w_.recentMenu = file->addMenu(menuTitle(QStringLiteral("menu_recent")));
    w_.recentMenu->setObjectName(QStringLiteral("menu_recent"));
    file->addSeparator();
    add(file, {cmd::kExit, cmd::kExcel});

    QMenu* edit = menu("menu_edit");
    add(edit, {cmd::kUndo, cmd::kRedo});

    QMenu* view = menu("menu_view");
    add(view, {cmd::kViewToolbar, cmd::kViewStatusBar});
    action(cmd::kViewToolbar)->setChecked(true);
    action(cmd::kViewStatusBar)->setChecked(true);

    QMenu* mode = menu("menu_mode");
    add(mode, {cmd::kModeKey, cmd::kModeOneLine, cmd::kModeThreeLine, cmd::kModeParallel,
               cmd::kModeMatrix});

    QMenu* actionsMenu = menu("menu_actions");
    add(actionsMenu, {cmd::kBuild, cmd::kCheckProject});
    actionsMenu->addSeparator();
    add(actionsMenu, {cmd::kOptions, cmd::kKeySetup, cmd::kEquationSetup});

    QMenu* tools = menu("menu_tools");
    add(tools, {cmd::kDownload});

    w_.languageMenu = menu("menu_language");
    add(w_.languageMenu, {cmd::kCompanion, cmd::kEnglish});

    QMenu* help = menu("menu_help");
    add(help, {cmd::kAbout, cmd::kHelp});
}

void Builder::createToolBar() {
    QToolBar* bar = window_.addToolBar(QString());
    w_.toolBar = bar;
    bar->setObjectName(QStringLiteral("control_%1").arg(ctl::kToolbar));
    bar->setIconSize(QSize(36, 36));
    bar->setMovable(false);
    bar->setFloatable(false);
    bar->toggleViewAction()->setEnabled(false);
    bar->addAction(action(cmd::kToolNew));
    bar->addAction(action(cmd::kToolOpen));
    bar->addSeparator();
    bar->addAction(action(cmd::kToolBuild));
    bar->addAction(action(cmd::kToolOptions));
    bar->addSeparator();
    bar->addAction(action(cmd::kToolDownload));
    bar->addSeparator();
    bar->addAction(action(cmd::kToolHelp));
    for (QAction* a : bar->actions()) {
        if (QWidget* button = bar->widgetForAction(a); button && !a->isSeparator()) {
            button->setObjectName(QStringLiteral("button_%1").arg(commandIdOf(a)));
        }
    }
}

void Builder::createControls() {
    auto* central = new QWidget(&window_);
    central->setObjectName(QStringLiteral("centralWidget"));
    window_.setCentralWidget(central);

    w_.musicView = new CListCtrl_Backgroundmusic(actionOf_, central);
    w_.libraryView = new CListCtrl_Snd_Lib(actionOf_, central);
    w_.playlistView = new CListCtrl_Playlist(actionOf_, central);
    w_.musicView->setEnabled(false);

    w_.progressBar = new QProgressBar(central);
    w_.progressBar->setObjectName(QStringLiteral("control_%1").arg(ctl::kProgress));
    w_.progressBar->setRange(0, 100);
    w_.progressBar->setValue(0);
    w_.progressBar->setTextVisible(false);
    w_.progressBar->setFixedHeight(uy(14));

    w_.plusButton = new QPushButton(QStringLiteral("+"), central);
    w_.plusButton->setObjectName(QStringLiteral("control_%1").arg(ctl::kPlus));
    w_.plusButton->hide();
    w_.minusButton = new QPushButton(QStringLiteral("-"), central);
    w_.minusButton->setObjectName(QStringLiteral("control_%1").arg(ctl::kMinus));
    w_.minusButton->hide();

    w_.listCombo = new QComboBox(central);
    w_.listCombo->setObjectName(QStringLiteral("control_%1").arg(ctl::kListCombo));
    w_.listSpin = new ListSpin(central);
    w_.listBox = new QListWidget(central);
    w_.listBox->setObjectName(QStringLiteral("control_%1").arg(ctl::kListBox));
    w_.listBox->setFixedWidth(ux(37) + 12);
    for (int n = 0; n < kPlaylistCount; ++n) {
        w_.listBox->addItem(q(listNumberText(n)));
        w_.listCombo->addItem(q(listNumberText(n)));
    }
    w_.listBox->setCurrentRow(0);
    w_.listCombo->setCurrentIndex(0);
    w_.listCombo->setMaxVisibleItems(20);

    w_.flashCombo = new QComboBox(central);
    w_.flashCombo->setObjectName(QStringLiteral("control_%1").arg(ctl::kFlashCombo));
    for (int i = 0; i < kFlashSizeCount; ++i) {
        w_.flashCombo->addItem(QString::fromUtf8(flashSizeCaption(i)));
    }

    w_.modeCaption = new QLineEdit(central);
    w_.modeCaption->setObjectName(QStringLiteral("control_%1").arg(ctl::kModeCaption));
    w_.modeCaption->setReadOnly(true);
    w_.modeCaption->setFocusPolicy(Qt::NoFocus);
    w_.modeCaption->setFixedWidth(ux(78) + 20);

    // The labels' texts come with the window's other texts.
    const auto label = [&](int id) {
        auto* l = new QLabel(central);
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

    w_.musicView->setFixedHeight(uy(30));
    w_.libraryView->setMinimumWidth(ux(294));
    w_.libraryView->setMaximumWidth(ux(294));
    w_.musicView->setMaximumWidth(ux(294));
    w_.playlistView->setMinimumWidth(ux(160));

    grid->addWidget(w_.musicView, 0, 0, 2, 1);
    grid->addWidget(w_.libraryView, 2, 0);

    auto* modeRow = new QHBoxLayout;
    modeRow->addWidget(label(ctl::kModeLabel));
    modeRow->addWidget(w_.modeCaption);
    modeRow->addStretch(1);
    modeRow->addWidget(w_.plusButton);
    modeRow->addWidget(w_.minusButton);
    grid->addLayout(modeRow, 0, 1, 1, 2);

    auto* listRow = new QHBoxLayout;
    listRow->setSpacing(ux(3));
    listRow->addWidget(label(ctl::kListLabel));
    listRow->addWidget(w_.listCombo);
    listRow->addWidget(w_.listSpin);
    listRow->addStretch(1);
    listRow->addWidget(label(ctl::kFlashLabel));
    listRow->addWidget(w_.flashCombo);
    grid->addLayout(listRow, 1, 1, 1, 2);

    grid->addWidget(w_.listBox, 2, 1);
    grid->addWidget(w_.playlistView, 2, 2);
    grid->addWidget(w_.progressBar, 3, 0, 1, 3);
    grid->setColumnStretch(2, 1);
    grid->setRowStretch(2, 1);
}

void Builder::createStatusBar() {
    QStatusBar* bar = window_.statusBar();
    bar->setObjectName(QStringLiteral("control_%1").arg(ctl::kStatusBar));
    bar->setSizeGripEnabled(true);
    w_.lengthPane = new QLabel(QCoreApplication::translate("MainWindow", "Длинна треков"), bar);
    w_.lengthPane->setObjectName(QStringLiteral("pane_102"));
    w_.usagePane =
        new QLabel(QCoreApplication::translate("MainWindow", "Использование памяти"), bar);
    w_.usagePane->setObjectName(QStringLiteral("pane_103"));
    w_.usagePane->setMinimumWidth(200);
    bar->addWidget(w_.lengthPane, 1);
    bar->addPermanentWidget(w_.usagePane);
}

}  // namespace

MainWindowWidgets buildMainWindow(QMainWindow& window, const ActionLookup& actionOf) {
    return Builder(window, actionOf).build();
}

}  // namespace zadaravod
