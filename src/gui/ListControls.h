#pragma once

#include <QAbstractSpinBox>
#include <QStringList>
#include <QTableWidget>
#include <functional>
#include <map>
#include <optional>
#include <vector>

class QAction;
class QMenu;
class QMimeData;

namespace zadaravod {

/// The local files of a drop from the desktop, in order (empty for anything
/// else, such as a row dragged inside the window).
QStringList droppedLocalFiles(const QMimeData* data);

/// Looks up the main window's action of a command id (never null for the ids
/// the list controls use).
using ActionLookup = std::function<QAction*(int id)>;

/// The common list control of the three views: a read-only report table with
/// grid lines and full-row selection, a context menu whose items follow
/// `commandsEnabled`, and key releases routed to commands. Rows are never
/// edited in place; the window rebuilds them from the model.
class CListCtrl : public QTableWidget {
    Q_OBJECT
  public:
    /// `columns` are (caption, width in pixels) pairs.
    CListCtrl(int controlId, std::vector<std::pair<QString, int>> columns, ActionLookup actions,
              QWidget* parent = nullptr);

    int controlId() const { return controlId_; }
    bool commandsEnabled() const { return commandsEnabled_; }
    /// Sets the flag and enables or grays the actions of the context menu.
    void setCommandsEnabled(bool enabled);

    /// The first selected row (lowest index), or nullopt.
    std::optional<int> firstSelectedRow() const;
    /// Replaces every row with `rows` (cell texts), keeping the scroll
    /// position in rows.
    void setRows(const std::vector<std::vector<QString>>& rows);

    /// Builds the context menu with the items enabled by `commandsEnabled`.
    /// The caller owns the menu.
    QMenu* makeContextMenu(QWidget* parent) const;
    /// Where a keyboard request (Shift+F10, the Menu key) opens the menu:
    /// 5 pixels right and below the view's top-left corner, in global
    /// coordinates.
    QPoint keyboardMenuPosition() const;
    /// Opens the context menu at `globalPosition`, owned by the main window
    /// and deleted when it closes.
    void openContextMenu(const QPoint& globalPosition);

  signals:
    /// Escape was released in the view: stop playback.
    void stopRequested();
    /// A context menu is about to open (tests inspect and close it).
    void contextMenuShown(QMenu* menu);
    /// A library row was dropped on this view (playlist view only).
    void librarySoundDropped(int libraryRow);
    /// A playlist row was dropped on playlist row `to` (playlist view only).
    void entryMoved(int from, int to);
    /// Files were dropped from the desktop (library and music views), as
    /// local paths in the order of the drop.
    void filesDropped(const QStringList& paths);

  protected:
    /// Adds the items of this view's context menu, in menu order.
    virtual void fillMenu(QMenu& menu) const = 0;
    /// The command ids whose enabling follows `commandsEnabled`.
    virtual std::vector<int> flaggedCommands() const = 0;
    /// The command a key release sends (0 for none).
    virtual int deleteCommand() const { return 0; }
    virtual int playCommand() const { return 0; }
    /// The load command whose enabling lets files be dropped here (0: none).
    virtual int fileDropCommand() const { return 0; }
    bool takesDroppedFiles(const QMimeData* data) const;

    QAction* action(int id) const { return actions_(id); }
    void contextMenuEvent(QContextMenuEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    /// Starts a drag of the row under the press; the data names the view and
    /// the row (no row moves until a drop handler says so).
    void startDrag(Qt::DropActions supportedActions) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    int controlId_;
    ActionLookup actions_;
    bool commandsEnabled_ = false;
};

/// The sound library view (1006).
class CListCtrl_Snd_Lib : public CListCtrl {
    Q_OBJECT
  public:
    explicit CListCtrl_Snd_Lib(ActionLookup actions, QWidget* parent = nullptr);

  protected:
    void fillMenu(QMenu& menu) const override;
    std::vector<int> flaggedCommands() const override;
    int deleteCommand() const override;
    int playCommand() const override;
    int fileDropCommand() const override;
};

/// The current playlist view (1007).
class CListCtrl_Playlist : public CListCtrl {
    Q_OBJECT
  public:
    explicit CListCtrl_Playlist(ActionLookup actions, QWidget* parent = nullptr);

  protected:
    void fillMenu(QMenu& menu) const override;
    std::vector<int> flaggedCommands() const override;
    int deleteCommand() const override;
    int playCommand() const override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    /// The source view id and row of a drag, when it came from this window.
    std::optional<std::pair<int, int>> dragOrigin(const QMimeData* data) const;
};

/// The background music view (1094); it handles no keys.
class CListCtrl_Backgroundmusic : public CListCtrl {
    Q_OBJECT
  public:
    explicit CListCtrl_Backgroundmusic(ActionLookup actions, QWidget* parent = nullptr);

  protected:
    void fillMenu(QMenu& menu) const override;
    std::vector<int> flaggedCommands() const override;
    int fileDropCommand() const override;
};

/// The list-number spin (1098): arrows only. Each step asks `stepped` with
/// +1 (up) or -1 (down); the spin holds no value of its own, the current list
/// does.
class ListSpin : public QAbstractSpinBox {
    Q_OBJECT
  public:
    explicit ListSpin(QWidget* parent = nullptr);
    void stepBy(int steps) override;
    QSize sizeHint() const override;

  signals:
    void stepped(int delta);

  protected:
    StepEnabled stepEnabled() const override;
};

/// The column captions and widths of the library and background music views.
std::vector<std::pair<QString, int>> libraryColumns();
/// The column captions and widths of the playlist view.
std::vector<std::pair<QString, int>> playlistColumns();

}  // namespace zadaravod
