#include "ui/restoretree/TreeWindow.h"

#include "core/host/Host.h"
#include "core/lang/Translator.h"
#include "core/text/TextFile.h"
#include "restore/RecoverySelection.h"
#include "restore/RecoveryTreeBuilder.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDebug>
#include <QFileInfo>
#include <QGuiApplication>
#include <QIcon>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>
#include <QTimer>
#include <QTreeWidget>
#include <QWindow>

namespace ombrix::ui {

namespace {

// The line field of a node: the file's 0-based list line, or -1 for a folder ("E").
constexpr int lineRole = Qt::UserRole;
constexpr int buildPumpEvery = 300;

const QString stopCaption = QStringLiteral("STOP");
const QString reloadCaption = QStringLiteral("RELOAD");

} // namespace

// Makes the tree items of a build. Every node is created ticked and complete before it is added,
// and the build works on items outside the tree, so no check-state recalculation or view update
// runs per node; the finished part is put into the tree in one step.
class TreeWindow::ItemSink : public RecoveryTreeBuilder::Sink
{
  public:
    ItemSink(QList<QTreeWidgetItem*>& top, const QIcon& folderIcon, const QIcon& fileIcon)
        : m_top(top), m_folderIcon(folderIcon), m_fileIcon(fileIcon)
    {
    }

    int addFolder(int parent, const QString& name) override
    {
        auto* item = new QTreeWidgetItem;
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable |
                       Qt::ItemIsAutoTristate);
        fill(item, name, m_folderIcon, -1);
        attach(parent, item);
        m_folders.append(item);
        return int(m_folders.size() - 1);
    }

    void addFile(int parent, const QString& name, qsizetype line) override
    {
        auto* item = new QTreeWidgetItem;
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        fill(item, name, m_fileIcon, line);
        attach(parent, item);
    }

  private:
    static void fill(QTreeWidgetItem* item, const QString& name, const QIcon& icon, qsizetype line)
    {
        item->setText(0, name);
        item->setIcon(0, icon);
        item->setData(0, lineRole, qlonglong(line));
        item->setCheckState(0, Qt::Checked);
    }

    void attach(int parent, QTreeWidgetItem* item)
    {
        if (parent < 0)
            m_top.append(item);
        else
            m_folders.at(parent)->addChild(item);
    }

    QList<QTreeWidgetItem*>& m_top;
    QList<QTreeWidgetItem*> m_folders;
    QIcon m_folderIcon;
    QIcon m_fileIcon;
};

TreeWindow::TreeWindow(const QString& recoveryListPath, QWidget* parent)
    : QDialog(parent), m_recoveryListPath(recoveryListPath), m_tree(new QTreeWidget(this)),
      m_progressBar(new QProgressBar(this)), m_infoLabel(new QLabel(this)),
      m_applyButton(new QPushButton(QStringLiteral("POUŽÍT"), this)),
      m_reloadButton(new QPushButton(stopCaption, this))
{
    setObjectName(QStringLiteral("TFormTree"));
    setWindowTitle(QStringLiteral("Select folders or files"));

    m_tree->setObjectName(QStringLiteral("VirtualStringTree1"));
    m_tree->setColumnCount(1);
    m_tree->setHeaderHidden(true);
    m_tree->setUniformRowHeights(true);
    m_progressBar->setObjectName(QStringLiteral("ProgressBar1"));
    m_progressBar->setTextVisible(false);
    m_progressBar->setRange(0, 1);
    m_progressBar->setValue(0);
    m_infoLabel->setObjectName(QStringLiteral("Label1"));
    m_applyButton->setObjectName(QStringLiteral("BitBtn1"));
    m_reloadButton->setObjectName(QStringLiteral("BitBtn2"));
    m_applyButton->setAutoDefault(false);
    m_reloadButton->setAutoDefault(false);

    connect(m_applyButton, &QPushButton::clicked, this, &TreeWindow::applyTreeSelection);
    connect(m_reloadButton, &QPushButton::clicked, this, &TreeWindow::stopOrReloadTree);

    setMinimumSize(320, 240);
    resize(520, 560);
    setState(State::Marked);
}

TreeWindow::~TreeWindow()
{
    qDeleteAll(m_pendingTop);
}

bool TreeWindow::isFolderNode(const QTreeWidgetItem* item)
{
    return item->data(0, lineRole).toLongLong() < 0;
}

qsizetype TreeWindow::lineOf(const QTreeWidgetItem* item)
{
    return qsizetype(item->data(0, lineRole).toLongLong());
}

void TreeWindow::markForRebuild()
{
    if (m_building) {
        m_stopTreeLoad = true;
        m_rebuildRequested = true;
        return;
    }
    setState(State::Marked);
    if (isVisible())
        QTimer::singleShot(0, this, &TreeWindow::buildIfMarked);
}

void TreeWindow::buildIfMarked()
{
    if (m_state == State::Marked && !m_building && isVisible())
        loadTree();
}

void TreeWindow::setState(State state)
{
    m_state = state;
    const bool open = state == State::Complete || state == State::Stopped;
    m_reloadButton->setText(open ? reloadCaption : stopCaption);
    m_reloadButton->setEnabled(true);
    m_applyButton->setEnabled(open);
    setClosable(open);
}

void TreeWindow::setClosable(bool closable)
{
    m_closable = closable;
    Qt::WindowFlags flags = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
    if (closable)
        flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    if (windowFlags() == flags)
        return;
    if (!isVisible()) {
        setWindowFlags(flags);
        return;
    }
    // setWindowFlags would hide the window, and hiding a dialog ends its exec(): tell the
    // platform window directly instead.
    overrideWindowFlags(flags);
    if (QWindow* handle = windowHandle())
        handle->setFlags(flags);
}

bool TreeWindow::pumpEvents()
{
    const QPointer<TreeWindow> self(this);
    QCoreApplication::processEvents();
    return !self.isNull();
}

void TreeWindow::loadTree()
{
    if (m_building)
        return;
    m_stopTreeLoad = false;
    m_rebuildRequested = false;
    setState(State::Building);
    m_tree->clear();
    qDeleteAll(m_pendingTop);
    m_pendingTop.clear();
    m_progressBar->setRange(0, 1);
    m_progressBar->setValue(0);

    TextFile::ReadResult list;
    if (QFileInfo(m_recoveryListPath).isFile())
        list = TextFile::readLines(m_recoveryListPath);
    if (!list.ok) {
        // Nothing to show and nothing to apply; RELOAD tries again.
        m_infoLabel->setText(getLang(QStringLiteral("Chyba: nelze najít soubor recoverylist.csv")));
        setState(State::Stopped);
        m_applyButton->setEnabled(false);
        return;
    }

    const qsizetype count = list.lines.size();
    const int maximum = int(qMax<qsizetype>(count - 1, 0));
    m_progressBar->setRange(0, qMax(maximum, 1));
    const QString loading = getLang(QStringLiteral("Načítání položek stromu")) + u' ';

    m_building = true;
    ItemSink sink(m_pendingTop, style()->standardIcon(QStyle::SP_DirIcon),
                  style()->standardIcon(QStyle::SP_FileIcon));
    RecoveryTreeBuilder builder(sink);
    for (qsizetype i = 0; i < count && !m_stopTreeLoad; ++i) {
        if (i % buildPumpEvery == 0) {
            m_progressBar->setValue(int(i));
            m_infoLabel->setText(loading + QString::number(i) + QStringLiteral(" / ") +
                                 QString::number(maximum));
            Q_EMIT buildProgress(int(i), maximum);
            if (!pumpEvents())
                return; // the window is gone, and with it the items built so far
            if (m_stopTreeLoad)
                break;
        }
        builder.addLine(i, list.lines.at(i));
    }
    m_building = false;

    m_tree->addTopLevelItems(m_pendingTop);
    // Open the top folders down to the first folder that branches, so a tree of /home/user/...
    // shows its content at once.
    for (QTreeWidgetItem* item : std::as_const(m_pendingTop)) {
        while (item && isFolderNode(item)) {
            item->setExpanded(true);
            item = item->childCount() == 1 ? item->child(0) : nullptr;
        }
    }
    m_pendingTop.clear();
    m_progressBar->setValue(0);

    if (m_rebuildRequested) {
        m_rebuildRequested = false;
        setState(State::Marked);
        QTimer::singleShot(0, this, &TreeWindow::buildIfMarked);
        return;
    }
    if (m_stopTreeLoad) {
        m_infoLabel->setText(getLang(QStringLiteral("Načítání stromu bylo přerušeno")));
        setState(State::Stopped);
    } else {
        m_infoLabel->setText(getLang(QStringLiteral("Strom je KOMPLETNÍ")));
        setState(State::Complete);
    }
}

void TreeWindow::stopOrReloadTree()
{
    if (m_state == State::Marked || m_state == State::Building) {
        // The running build ends before its next line and keeps what it has built.
        m_stopTreeLoad = true;
        setState(State::Stopped);
        return;
    }
    if (m_building)
        return; // a stopped build is still winding down inside this event
    loadTree();
}

void TreeWindow::applyTreeSelection()
{
    if (m_building || !m_applyButton->isEnabled())
        return;
    m_infoLabel->setText(getLang(QStringLiteral("Vyhledávání vybraných položek")));
    if (!pumpEvents())
        return;

    // The ticked files in display order: each node before its children, children in order.
    QList<qsizetype> chosen;
    QList<QTreeWidgetItem*> stack;
    for (int i = m_tree->topLevelItemCount() - 1; i >= 0; --i)
        stack.append(m_tree->topLevelItem(i));
    while (!stack.isEmpty()) {
        QTreeWidgetItem* item = stack.takeLast();
        if (!isFolderNode(item)) {
            if (item->checkState(0) == Qt::Checked)
                chosen.append(lineOf(item));
            continue;
        }
        for (int i = item->childCount() - 1; i >= 0; --i)
            stack.append(item->child(i));
    }
    if (chosen.isEmpty()) {
        showMessage(getLang(QStringLiteral("Nejprve vyberte složky nebo soubory")));
        m_infoLabel->setText(getLang(QStringLiteral("Vyberte položky")));
        return;
    }

    m_reloadButton->setEnabled(false);
    m_applyButton->setEnabled(false);
    m_infoLabel->setText(getLang(QStringLiteral("Vytváření nového recovery listu (recoverylist.csv)")));
    if (!pumpEvents())
        return;
    m_progressBar->setRange(0, int(qMax<qsizetype>(chosen.size(), 1)));
    m_progressBar->setValue(0);
    const QPointer<TreeWindow> self(this);
    const RecoverySelection::Result result =
        RecoverySelection::rewrite(m_recoveryListPath, chosen, [this, &self](qsizetype done, qsizetype) {
            if (self.isNull())
                return;
            m_progressBar->setValue(int(done));
            QCoreApplication::processEvents();
        });
    if (self.isNull())
        return;
    m_progressBar->setValue(0);

    switch (result.status) {
    case RecoverySelection::Status::Written:
        // The next opening builds the tree again, from the reduced list. Closed before the
        // restore page is told, so nothing it shows can reactivate a window marked for a build.
        setState(State::Marked);
        accept();
        Q_EMIT selectionApplied();
        return;
    case RecoverySelection::Status::ListMissing:
        m_infoLabel->setText(getLang(QStringLiteral("Chyba: nelze najít soubor recoverylist.csv")));
        setState(State::Stopped);
        m_applyButton->setEnabled(false);
        return;
    case RecoverySelection::Status::UnknownLine:
        m_infoLabel->setText(getLang(QStringLiteral("Seznam obnovy se mezitím změnil, načtěte strom znovu")));
        setState(State::Stopped);
        m_applyButton->setEnabled(false);
        return;
    case RecoverySelection::Status::WriteFailed:
    case RecoverySelection::Status::NothingChosen:
        m_infoLabel->setText(getLang(QStringLiteral("Nelze zapsat soubor recoverylist.csv")));
        setState(State::Stopped);
        return;
    }
}

void TreeWindow::showMessage(const QString& text)
{
    m_lastMessage = text;
    qInfo().noquote() << "Selective restore:" << text;
    Q_EMIT messageShown(text);
    if (m_host) {
        m_host->ask(AskKind::Information, text);
        return;
    }
    const QString platform = QGuiApplication::platformName();
    if (platform == QLatin1String("offscreen") || platform == QLatin1String("minimal"))
        return; // nobody can answer a box here
    QMessageBox::information(this, QStringLiteral("Ombrix"), text);
}

bool TreeWindow::event(QEvent* event)
{
    const bool handled = QDialog::event(event);
    // The tree is built when the window becomes active; queued, so the activation itself
    // finishes first, and guarded, so an activation during a build starts nothing.
    if (event->type() == QEvent::WindowActivate && m_state == State::Marked && !m_building)
        QTimer::singleShot(0, this, &TreeWindow::buildIfMarked);
    return handled;
}

void TreeWindow::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // Not every platform activates a shown window (offscreen, some window managers).
    if (m_state == State::Marked && !m_building)
        QTimer::singleShot(0, this, &TreeWindow::buildIfMarked);
}

void TreeWindow::closeEvent(QCloseEvent* event)
{
    if (!m_closable) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void TreeWindow::reject()
{
    if (m_closable)
        QDialog::reject();
}

void TreeWindow::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    layoutControls();
}

void TreeWindow::layoutControls()
{
    // Placed from the window's size W x H: tree W-16 wide and H-87 high; progress bar W-148 wide,
    // top at H-54; "POUŽÍT" at W-78 and the second button at W-134, tops at H-56; label at H-70.
    const int w = width();
    const int h = height();
    m_tree->setGeometry(8, 8, w - 16, h - 87);
    m_infoLabel->setGeometry(8, h - 70, w - 16, 15);
    m_progressBar->setGeometry(8, h - 54, w - 148, 17);
    m_reloadButton->setGeometry(w - 134, h - 56, 54, 25);
    m_applyButton->setGeometry(w - 78, h - 56, 70, 25);
}

} // namespace ombrix::ui
