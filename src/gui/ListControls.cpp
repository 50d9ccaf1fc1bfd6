#include "gui/ListControls.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QDrag>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QScrollBar>
#include <QUrl>

#include "gui/CommandIds.h"

namespace zadaravod {
namespace {

/// The drag data of a row: "<view id> <row>".
constexpr const char* kRowMime = "application/x-zadaravod-row";

}  // namespace

std::vector<std::pair<QString, int>> libraryColumns() {
    return {{QStringLiteral("No."), 30},           {QStringLiteral("Wav"), 120},
            {QStringLiteral("Sampling rate"), 80}, {QStringLiteral("Bit"), 50},
            {QStringLiteral("Track"), 50},         {QStringLiteral("Time"), 80}};
}

std::vector<std::pair<QString, int>> playlistColumns() {
    return {
        {QStringLiteral("No."), 30}, {QStringLiteral("Type"), 60}, {QStringLiteral("Wav"), 160}};
}

CListCtrl::CListCtrl(int controlId, std::vector<std::pair<QString, int>> columns,
                     ActionLookup actions, QWidget* parent)
    : QTableWidget(parent), controlId_(controlId), actions_(std::move(actions)) {
    setObjectName(QStringLiteral("control_%1").arg(controlId));
    setColumnCount(static_cast<int>(columns.size()));
    QStringList captions;
    for (const auto& column : columns) captions << column.first;
    setHorizontalHeaderLabels(captions);
    for (int i = 0; i < static_cast<int>(columns.size()); ++i) {
        setColumnWidth(i, columns[static_cast<std::size_t>(i)].second);
        horizontalHeaderItem(i)->setTextAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    }
    horizontalHeader()->setStretchLastSection(false);
    horizontalHeader()->setHighlightSections(false);
    verticalHeader()->setVisible(false);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    setShowGrid(true);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    setWordWrap(false);
    setTabKeyNavigation(false);
}

void CListCtrl::setCommandsEnabled(bool enabled) {
    commandsEnabled_ = enabled;
    for (int id : flaggedCommands()) {
        if (QAction* a = action(id)) a->setEnabled(enabled);
    }
}

std::optional<int> CListCtrl::firstSelectedRow() const {
    std::optional<int> first;
    for (const QModelIndex& index : selectionModel()->selectedRows()) {
        if (!first || index.row() < *first) first = index.row();
    }
    return first;
}

void CListCtrl::setRows(const std::vector<std::vector<QString>>& rows) {
    const int scrolled = verticalScrollBar()->value();
    clearContents();
    setRowCount(static_cast<int>(rows.size()));
    for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
        const auto& cells = rows[static_cast<std::size_t>(r)];
        for (int c = 0; c < static_cast<int>(cells.size()) && c < columnCount(); ++c) {
            auto* item = new QTableWidgetItem(cells[static_cast<std::size_t>(c)]);
            item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled);
            setItem(r, c, item);
        }
    }
    verticalScrollBar()->setValue(scrolled);
}

QMenu* CListCtrl::makeContextMenu(QWidget* parent) const {
    auto* menu = new QMenu(parent);
    menu->setObjectName(QStringLiteral("contextMenu_%1").arg(controlId_));
    fillMenu(*menu);
    for (int id : flaggedCommands()) {
        if (QAction* a = action(id)) a->setEnabled(commandsEnabled_);
    }
    return menu;
}

QPoint CListCtrl::keyboardMenuPosition() const { return mapToGlobal(QPoint(5, 5)); }

void CListCtrl::contextMenuEvent(QContextMenuEvent* event) {
    // A keyboard request (the Menu key, which X11 turns into this event)
    // carries the focus widget's cursor position; the menu opens beside the
    // view's corner instead.
    openContextMenu(event->reason() == QContextMenuEvent::Keyboard ? keyboardMenuPosition()
                                                                   : event->globalPos());
    event->accept();
}

void CListCtrl::openContextMenu(const QPoint& globalPosition) {
    // The menu belongs to the main window, so its commands go there.
    QMenu* menu = makeContextMenu(window());
    menu->setAttribute(Qt::WA_DeleteOnClose);
    emit contextMenuShown(menu);
    menu->popup(globalPosition);
}

void CListCtrl::keyPressEvent(QKeyEvent* event) {
    // Shift+F10 asks for the context menu as the Menu key does; no platform
    // turns it into a context menu event. The Menu key itself arrives here
    // only where the platform did not already open the menu.
    const bool shiftF10 = event->key() == Qt::Key_F10 &&
                          (event->modifiers() & ~Qt::KeypadModifier) == Qt::ShiftModifier;
    if (shiftF10 || event->key() == Qt::Key_Menu) {
        if (!QApplication::activePopupWidget()) openContextMenu(keyboardMenuPosition());
        event->accept();
        return;
    }
    // Delete, Space and Escape act when the key goes up; Enter activates the
    // row as a double-click does.
    switch (event->key()) {
        case Qt::Key_Delete:
        case Qt::Key_Space:
        case Qt::Key_Escape:
            event->accept();
            return;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (currentIndex().isValid()) emit activated(currentIndex());
            event->accept();
            return;
        default:
            QTableWidget::keyPressEvent(event);
    }
}

void CListCtrl::keyReleaseEvent(QKeyEvent* event) {
    if (event->isAutoRepeat()) {
        QTableWidget::keyReleaseEvent(event);
        return;
    }
    int id = 0;
    switch (event->key()) {
        case Qt::Key_Delete:
            id = deleteCommand();
            break;
        case Qt::Key_Space:
            id = playCommand();
            break;
        case Qt::Key_Escape:
            if (deleteCommand() != 0) {  // the keyed views only
                emit stopRequested();
                event->accept();
                return;
            }
            break;
        default:
            break;
    }
    if (id != 0) {
        // Through the action, so a grayed command stays without effect.
        if (QAction* a = action(id)) a->trigger();
        event->accept();
        return;
    }
    QTableWidget::keyReleaseEvent(event);
}

QStringList droppedLocalFiles(const QMimeData* data) {
    QStringList paths;
    if (data == nullptr || !data->hasUrls()) return paths;
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile() && !url.toLocalFile().isEmpty()) paths << url.toLocalFile();
    }
    return paths;
}

bool CListCtrl::takesDroppedFiles(const QMimeData* data) const {
    const int id = fileDropCommand();
    if (id == 0 || !commandsEnabled_) return false;
    const QAction* load = action(id);
    return load != nullptr && load->isEnabled() && !droppedLocalFiles(data).isEmpty();
}

void CListCtrl::dragEnterEvent(QDragEnterEvent* event) {
    // Anything else goes on to the window (a project dropped on a view).
    if (takesDroppedFiles(event->mimeData())) {
        event->acceptProposedAction();
    } else {
        event->ignore();
    }
}

void CListCtrl::dragMoveEvent(QDragMoveEvent* event) {
    if (takesDroppedFiles(event->mimeData())) {
        event->acceptProposedAction();
    } else {
        event->ignore();
    }
}

void CListCtrl::dropEvent(QDropEvent* event) {
    if (!takesDroppedFiles(event->mimeData())) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
    emit filesDropped(droppedLocalFiles(event->mimeData()));
}

void CListCtrl::startDrag(Qt::DropActions) {
    const auto row = firstSelectedRow();
    if (!row || !commandsEnabled_) return;
    auto* data = new QMimeData;
    data->setData(kRowMime, QByteArray::number(controlId_) + ' ' + QByteArray::number(*row));
    auto* drag = new QDrag(this);
    drag->setMimeData(data);
    drag->exec(Qt::CopyAction | Qt::MoveAction, Qt::CopyAction);
}

// --- the three views -------------------------------------------------------

CListCtrl_Snd_Lib::CListCtrl_Snd_Lib(ActionLookup actions, QWidget* parent)
    : CListCtrl(ctl::kLibraryView, libraryColumns(), std::move(actions), parent) {
    setDragEnabled(true);
    // Rows are dragged out to the playlist; files come in from the desktop.
    setAcceptDrops(true);
    setDragDropMode(QAbstractItemView::DragDrop);
}

void CListCtrl_Snd_Lib::fillMenu(QMenu& menu) const {
    menu.addAction(action(cmd::kLibraryLoad));
    menu.addAction(action(cmd::kLibraryDelete));
    menu.addAction(action(cmd::kLibraryClear));
    menu.addSeparator();
    menu.addAction(action(cmd::kSpeakText));
    menu.addAction(action(cmd::kProcessSound));
    menu.addAction(action(cmd::kTrimOnImport));
    menu.addAction(action(cmd::kNormalizeOnImport));
    menu.addSeparator();
    menu.addAction(action(cmd::kLibraryPlay));
    menu.addAction(action(cmd::kPlayAsChip));
    menu.addSeparator();
    menu.addAction(action(cmd::kUndo));
    menu.addAction(action(cmd::kRedo));
}

std::vector<int> CListCtrl_Snd_Lib::flaggedCommands() const {
    return {cmd::kLibraryLoad, cmd::kLibraryDelete, cmd::kLibraryClear,
            cmd::kLibraryPlay, cmd::kSpeakText,     cmd::kProcessSound};
}

int CListCtrl_Snd_Lib::fileDropCommand() const { return cmd::kLibraryLoad; }

int CListCtrl_Snd_Lib::deleteCommand() const { return cmd::kLibraryDelete; }
int CListCtrl_Snd_Lib::playCommand() const { return cmd::kLibraryPlay; }

CListCtrl_Playlist::CListCtrl_Playlist(ActionLookup actions, QWidget* parent)
    : CListCtrl(ctl::kPlaylistView, playlistColumns(), std::move(actions), parent) {
    setDragEnabled(true);
    setAcceptDrops(true);
    setDragDropMode(QAbstractItemView::DragDrop);
    setDropIndicatorShown(true);
}

void CListCtrl_Playlist::fillMenu(QMenu& menu) const {
    QMenu* insert = menu.addMenu(tr("&Вставить"));
    insert->setObjectName(QStringLiteral("menu_insert"));
    insert->addAction(action(cmd::kInsertTrack));
    insert->addSeparator();
    for (int id = cmd::kSilence10; id <= cmd::kSilence300; ++id) insert->addAction(action(id));
    insert->addSeparator();
    insert->addAction(action(cmd::kInsertSilence));
    menu.addAction(action(cmd::kPlaylistDelete));
    menu.addAction(action(cmd::kPlaylistClear));
    menu.addAction(action(cmd::kPlaylistClearAll));
    menu.addSeparator();
    menu.addAction(action(cmd::kPlaylistPlay));
    menu.addAction(action(cmd::kPlayAsChip));
    menu.addSeparator();
    menu.addAction(action(cmd::kUndo));
    menu.addAction(action(cmd::kRedo));
}

std::vector<int> CListCtrl_Playlist::flaggedCommands() const {
    return {cmd::kInsertTrack,  cmd::kInsertSilence, cmd::kPlaylistDelete, cmd::kPlaylistClear,
            cmd::kPlaylistPlay, cmd::kSilence10,     cmd::kSilence20,      cmd::kSilence50,
            cmd::kSilence100,   cmd::kSilence200,    cmd::kSilence300};
}

int CListCtrl_Playlist::deleteCommand() const { return cmd::kPlaylistDelete; }
int CListCtrl_Playlist::playCommand() const { return cmd::kPlaylistPlay; }

std::optional<std::pair<int, int>> CListCtrl_Playlist::dragOrigin(const QMimeData* data) const {
    if (!data || !data->hasFormat(kRowMime)) return std::nullopt;
    const QList<QByteArray> parts = data->data(kRowMime).split(' ');
    if (parts.size() != 2) return std::nullopt;
    bool okView = false;
    bool okRow = false;
    const int view = parts[0].toInt(&okView);
    const int row = parts[1].toInt(&okRow);
    if (!okView || !okRow || row < 0) return std::nullopt;
    if (view != ctl::kLibraryView && view != ctl::kPlaylistView) return std::nullopt;
    return std::make_pair(view, row);
}

void CListCtrl_Playlist::dragEnterEvent(QDragEnterEvent* event) {
    if (commandsEnabled() && dragOrigin(event->mimeData())) {
        event->acceptProposedAction();
    } else {
        event->ignore();
    }
}

void CListCtrl_Playlist::dragMoveEvent(QDragMoveEvent* event) {
    const auto origin = dragOrigin(event->mimeData());
    if (!commandsEnabled() || !origin) {
        event->ignore();
        return;
    }
    if (origin->first == ctl::kPlaylistView && event->source() != this) {
        event->ignore();
        return;
    }
    QTableWidget::dragMoveEvent(event);
    event->acceptProposedAction();
}

void CListCtrl_Playlist::dropEvent(QDropEvent* event) {
    const auto origin = dragOrigin(event->mimeData());
    if (!commandsEnabled() || !origin) {
        event->ignore();
        return;
    }
    // The rows are rebuilt from the model by the handlers; the view itself
    // never moves an item.
    event->setDropAction(Qt::CopyAction);
    event->accept();
    if (origin->first == ctl::kLibraryView) {
        emit librarySoundDropped(origin->second);
    } else if (event->source() == this) {
        const int to = indexAt(event->position().toPoint()).row();
        if (to >= 0) emit entryMoved(origin->second, to);
    }
}

CListCtrl_Backgroundmusic::CListCtrl_Backgroundmusic(ActionLookup actions, QWidget* parent)
    : CListCtrl(ctl::kMusicView, libraryColumns(), std::move(actions), parent) {
    // A sound file from the desktop becomes the music.
    setAcceptDrops(true);
    setDragDropMode(QAbstractItemView::DropOnly);
}

void CListCtrl_Backgroundmusic::fillMenu(QMenu& menu) const {
    menu.addAction(action(cmd::kMusicLoad));
    menu.addAction(action(cmd::kMusicClear));
    menu.addSeparator();
    menu.addAction(action(cmd::kMusicPlay));
    menu.addAction(action(cmd::kPlayAsChip));
}

std::vector<int> CListCtrl_Backgroundmusic::flaggedCommands() const {
    return {cmd::kMusicLoad, cmd::kMusicClear, cmd::kMusicPlay};
}

int CListCtrl_Backgroundmusic::fileDropCommand() const { return cmd::kMusicLoad; }

}  // namespace zadaravod

namespace zadaravod {

ListSpin::ListSpin(QWidget* parent) : QAbstractSpinBox(parent) {
    setObjectName(QStringLiteral("control_%1").arg(ctl::kListSpin));
    setButtonSymbols(QAbstractSpinBox::UpDownArrows);
    setReadOnly(true);
    setFocusPolicy(Qt::NoFocus);
    // Only the arrows show: the spin has no text of its own.
    lineEdit()->hide();
    setFixedWidth(18);
}

void ListSpin::stepBy(int steps) {
    if (steps != 0) emit stepped(steps > 0 ? 1 : -1);
}

QSize ListSpin::sizeHint() const {
    QSize size = QAbstractSpinBox::sizeHint();
    size.setWidth(18);
    return size;
}

QAbstractSpinBox::StepEnabled ListSpin::stepEnabled() const {
    return isEnabled() ? (StepUpEnabled | StepDownEnabled) : StepNone;
}

}  // namespace zadaravod
