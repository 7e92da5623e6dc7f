#pragma once

#include <QDialog>
#include <QList>
#include <QString>

class QLabel;
class QProgressBar;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace ombrix {
class Host;
}

namespace ombrix::ui {

// The selective restore window "Select folders or files" (TFormTree): shows the restore work
// list recoverylist.csv as a tree of folders and files with check boxes, all ticked, and on
// "POUŽÍT" rewrites the list to hold only the ticked files.
//
// The tree is built when the window becomes active while it is marked for rebuilding. The build
// runs on the user-interface thread and lets events run every 300 lines, so STOP (the second
// button) works during it; a second activation during a build does not start another one.
class TreeWindow : public QDialog
{
    Q_OBJECT

  public:
    enum class State
    {
        Marked,   // the tree is built at the next activation ("STOP", "POUŽÍT" disabled)
        Building, // "STOP", "POUŽÍT" disabled, cannot be closed
        Complete, // "RELOAD", "POUŽÍT" enabled, can be closed
        Stopped,  // the same, the tree holds the lines read before STOP
    };

    // recoveryListPath: the work list the window shows and rewrites.
    explicit TreeWindow(const QString& recoveryListPath, QWidget* parent = nullptr);
    ~TreeWindow() override;

    // A new set was chosen: the tree is built again at the next activation ("STOP" caption,
    // "POUŽÍT" disabled, no border icons).
    void markForRebuild();

    // Message boxes go through the host, which shows them only when a person can answer; without
    // a host they are shown only on a platform with a display. Either way they are recorded.
    void setHost(Host* host) { m_host = host; }

    // The window's routines, also what its buttons do.
    void loadTree();
    void stopOrReloadTree();
    void applyTreeSelection();

    State state() const { return m_state; }
    // A build's loop is running (it may already have been told to stop).
    bool isBuilding() const { return m_building; }
    // The last message box text (already translated), shown or not.
    const QString& lastMessage() const { return m_lastMessage; }

    QTreeWidget* tree() const { return m_tree; }
    QPushButton* applyButton() const { return m_applyButton; }
    QPushButton* reloadButton() const { return m_reloadButton; }
    QProgressBar* progressBar() const { return m_progressBar; }
    QLabel* infoLabel() const { return m_infoLabel; }

    // Whether a node is a folder (its line field is "E") and the 0-based list line of a file node.
    static bool isFolderNode(const QTreeWidgetItem* item);
    static qsizetype lineOf(const QTreeWidgetItem* item);

  Q_SIGNALS:
    // "POUŽÍT" wrote the reduced list: the restore page shows
    // "  Obnova POUZE VYBRANÝCH POLOŽEK začne od začátku" and blocks the exact state.
    void selectionApplied();
    // A message box text, whether or not a box could be shown.
    void messageShown(const QString& text);
    // The build reached line `line` of `maximum` (every 300 lines, before events run).
    void buildProgress(int line, int maximum);

  protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  public Q_SLOTS:
    void reject() override;

  private:
    class ItemSink;

    // Starts a build when the window is marked for one and none runs.
    void buildIfMarked();
    void setState(State state);
    // Border icons: the system menu and close button only when closable.
    void setClosable(bool closable);
    void layoutControls();
    void showMessage(const QString& text);
    // Lets pending events run; false when the window was destroyed meanwhile.
    bool pumpEvents();

    QString m_recoveryListPath;
    Host* m_host = nullptr;
    State m_state = State::Marked;
    bool m_stopTreeLoad = false;
    bool m_building = false;
    // markForRebuild came during a build: mark again when it has ended.
    bool m_rebuildRequested = false;
    bool m_closable = true;
    QString m_lastMessage;

    QTreeWidget* m_tree;
    QProgressBar* m_progressBar;
    QLabel* m_infoLabel;
    QPushButton* m_applyButton;
    QPushButton* m_reloadButton;
    // Top nodes of a build in progress, not yet in the tree.
    QList<QTreeWidgetItem*> m_pendingTop;
};

} // namespace ombrix::ui
