#include "ui/mainwindow/SourcesPage.h"

#include "core/lang/Translator.h"
#include "core/sources/SourceParser.h"
#include "core/sources/SourcesFile.h"
#include "platform/ProgramFolder.h"
#include "storage/local/LocalPaths.h"
#include "ui/dialogs/FileDialogs.h"
#include "ui/dialogs/MaskDialog.h"

#include <QComboBox>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace ombrix::ui {

namespace {

QPushButton* makeButton(QWidget* parent, const char* name, const char* caption)
{
    auto* button = new QPushButton(QString::fromUtf8(caption), parent);
    button->setObjectName(QLatin1String(name));
    button->setAutoDefault(false);
    return button;
}

QLabel* makeLabel(QWidget* parent, const char* name, const char* caption)
{
    auto* label = new QLabel(QString::fromUtf8(caption), parent);
    label->setObjectName(QLatin1String(name));
    return label;
}

bool isFolder(const QString& path)
{
    return !path.isEmpty() && storage::DirectoryExists2(storage::AppendUNC(path));
}

bool isFile(const QString& path)
{
    return !path.isEmpty() && storage::FileExists2(storage::AppendUNC(path));
}

} // namespace

SourcesPage::SourcesPage(QWidget* parent) : QWidget(parent)
{
    m_jobLabel = makeLabel(this, "Label17", "Úloha:");
    m_jobs = new QComboBox(this);
    m_jobs->setObjectName(QStringLiteral("ComboBox2"));
    m_jobs->addItem(QStringLiteral("Standard job"));
    m_jobs->setEnabled(false);
    m_jobs->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    m_jobs->setMinimumContentsLength(20);
    m_jobLabel->setBuddy(m_jobs);
    m_jobLabel->setEnabled(false);
    m_addJob = makeButton(this, "Button2", "Přidat úlohu");
    m_addJob->setEnabled(false);
    m_removeJob = makeButton(this, "Button19", "Odstranit úlohu");
    m_removeJob->setEnabled(false);

    m_heading = makeLabel(this, "Label2", "Vyberte adresáře nebo soubory, které chcete zálohovat: ");
    m_heading->setWordWrap(true);

    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("ListBox1"));
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setUniformItemSizes(true);
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_list->installEventFilter(this);
    m_heading->setBuddy(m_list);

    m_addFolder = makeButton(this, "Button1", "Přidat adresář");
    m_addFile = makeButton(this, "Button13", "Přidat soubor");
    m_refine = makeButton(this, "Button17", "Upřesnit");
    m_refine->setEnabled(false);
    m_deleteHint = makeLabel(this, "Label32", "smazat = kl. DEL");

    m_error = new QLabel(this);
    m_error->setObjectName(QStringLiteral("SourcesError"));
    m_error->setWordWrap(true);
    m_error->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_error->setStyleSheet(QStringLiteral("color: #b00000; font-weight: bold;"));
    m_error->setVisible(false);

    m_maskDialog = new MaskDialog(this);

    auto* jobRow = new QHBoxLayout;
    jobRow->addWidget(m_jobLabel);
    jobRow->addWidget(m_jobs);
    jobRow->addWidget(m_addJob);
    jobRow->addWidget(m_removeJob);
    jobRow->addStretch(1);

    auto* buttons = new QVBoxLayout;
    buttons->addWidget(m_addFolder);
    buttons->addWidget(m_addFile);
    buttons->addSpacing(12);
    buttons->addWidget(m_refine);
    buttons->addStretch(1);

    auto* listRow = new QHBoxLayout;
    listRow->addWidget(m_list, 1);
    listRow->addLayout(buttons);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(jobRow);
    layout->addSpacing(8);
    layout->addWidget(m_heading);
    layout->addLayout(listRow, 1);
    layout->addWidget(m_deleteHint);
    layout->addWidget(m_error);

    connect(m_addFolder, &QPushButton::clicked, this, &SourcesPage::addFolder);
    connect(m_addFile, &QPushButton::clicked, this, &SourcesPage::addFile);
    connect(m_refine, &QPushButton::clicked, this, &SourcesPage::refineSelected);
    connect(m_list, &QListWidget::currentRowChanged, this, &SourcesPage::entrySelected);
    connect(m_list, &QListWidget::itemClicked, this, &SourcesPage::entrySelected);
    connect(m_list, &QListWidget::itemSelectionChanged, this, &SourcesPage::entrySelected);
}

QString SourcesPage::sourcesPath()
{
    return platform::programFile(SourcesFile::fileName);
}

QStringList SourcesPage::entries() const
{
    QStringList lines;
    lines.reserve(m_list->count());
    for (int i = 0; i < m_list->count(); ++i)
        lines.append(m_list->item(i)->text());
    return lines;
}

bool SourcesPage::reloadFromFile()
{
    const QString path = sourcesPath();
    const SourcesFile::ReadResult result = SourcesFile::read(path);
    m_list->clear();
    m_refine->setEnabled(false);
    if (!result.ok) {
        // A missing file loses nothing when it is written; one that is there but unreadable would.
        m_unreadable = QFileInfo::exists(path) || QFileInfo(path).isSymLink();
        QString text = getLang(QString::fromUtf8("Seznam zdrojů nelze načíst:")) + u' ' + result.error;
        if (m_unreadable) {
            text += u'\n';
            text += getLang(QString::fromUtf8("Dokud seznam nelze načíst, změny se neukládají."));
        }
        showError(text);
        applyWritable();
        return false;
    }
    m_unreadable = false;
    m_list->addItems(result.lines);
    showError({});
    applyWritable();
    return true;
}

void SourcesPage::applyWritable()
{
    m_addFolder->setEnabled(!m_unreadable);
    m_addFile->setEnabled(!m_unreadable);
}

void SourcesPage::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    // The file may have become readable meanwhile; then the page can be used again.
    if (m_unreadable)
        reloadFromFile();
}

bool SourcesPage::save()
{
    // Whatever the list shows now did not come from the file: writing it would replace the entries.
    if (m_unreadable)
        return false;
    QString error;
    if (!SourcesFile::write(sourcesPath(), entries(), &error)) {
        showError(getLang(QString::fromUtf8("Seznam zdrojů nelze uložit:")) + u' ' + error);
        return false;
    }
    showError({});
    Q_EMIT sourcesSaved();
    return true;
}

void SourcesPage::showError(const QString& text)
{
    m_error->setText(text);
    m_error->setVisible(!text.isEmpty());
}

void SourcesPage::entrySelected()
{
    QListWidgetItem* item = m_list->currentItem();
    if (!item || !item->isSelected()) {
        m_refine->setEnabled(false);
        return;
    }
    const QString path = pars_source(item->text()).path;
    const bool folder = isFolder(path);
    if (folder)
        FileDialogs::instance().setLastBrowseFolder(path.trimmed());
    else if (isFile(path)) {
        QString fileFolder = QFileInfo(path).absolutePath();
        if (!fileFolder.endsWith(u'/'))
            fileFolder += u'/';
        FileDialogs::instance().setLastBrowseFolder(fileFolder);
    }
    m_refine->setEnabled(folder);
}

void SourcesPage::addFolder()
{
    if (m_unreadable)
        return;
    QString folder = FileDialogs::instance().browseFromLastFolder(window());
    // A drive root comes back with its separator ("E:\"); the entry is stored without it. The
    // root folder "/" is its own separator and stays as it is.
    if (folder.size() > 1 && (folder.endsWith(u'\\') || folder.endsWith(u'/')))
        folder.chop(1);
    if (!folder.isEmpty())
        m_list->addItem(folder);
    // The list and the file hold the same lines: what could not be saved is not shown either.
    if (!save() && !folder.isEmpty())
        delete m_list->takeItem(m_list->count() - 1);
}

void SourcesPage::addFile()
{
    if (m_unreadable)
        return;
    FileDialogs& dialogs = FileDialogs::instance();
    const QStringList filters = FileDialogs::programFilters();
    const QString file = dialogs.openFile(window(), dialogs.lastBrowseFolder(), filters, filters.last());
    if (file.isEmpty())
        return;
    m_list->addItem(file);
    if (!save())
        delete m_list->takeItem(m_list->count() - 1);
    dialogs.setLastBrowseFolder(QFileInfo(file).absolutePath());
}

void SourcesPage::deleteSelected()
{
    const int row = m_list->currentRow();
    if (m_unreadable || row < 0 || !m_list->item(row)->isSelected())
        return;
    QListWidgetItem* removed = m_list->takeItem(row);
    if (!save()) {
        m_list->insertItem(row, removed);
        m_list->setCurrentRow(row);
        return;
    }
    delete removed;
    if (row < m_list->count()) {
        m_list->setCurrentRow(row);
    } else {
        m_list->setCurrentRow(-1);
        m_list->clearSelection();
    }
    entrySelected();
}

void SourcesPage::refineSelected()
{
    const int row = m_list->currentRow();
    if (m_list->count() == 0 || row < 0 || !m_list->item(row)->isSelected()) {
        m_refine->setEnabled(false);
        return;
    }
    const QString line = m_list->item(row)->text();
    if (!isFolder(pars_source(line).path)) {
        m_refine->setEnabled(false);
        return;
    }
    m_maskDialog->openFor(line, [this, row, line](const QString& newLine, QString* error) {
        return replaceEntry(row, line, newLine, error);
    });
}

bool SourcesPage::replaceEntry(int row, const QString& oldLine, const QString& newLine, QString* error)
{
    QListWidgetItem* item = m_list->item(row);
    if (!item || item->text() != oldLine) {
        // The list was reloaded while the dialog was open; the entry is no longer where it was.
        if (error)
            *error = getLang(QString::fromUtf8("Záznam se mezitím změnil, otevřete jej znovu."));
        return false;
    }
    item->setText(newLine);
    if (!save()) {
        item->setText(oldLine);
        if (error)
            *error = m_error->text();
        return false;
    }
    return true;
}

bool SourcesPage::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_list && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Delete) {
        deleteSelected();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace ombrix::ui
