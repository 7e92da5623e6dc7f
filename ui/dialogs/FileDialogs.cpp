#include "ui/dialogs/FileDialogs.h"

#include "storage/local/LocalPaths.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

namespace ombrix::ui {

namespace {

// A folder without its trailing separator, the root folder itself excepted.
QString withoutTrailingSeparator(QString folder)
{
    while (folder.size() > 1 && (folder.endsWith(u'/') || folder.endsWith(u'\\')))
        folder.chop(1);
    return folder;
}

bool isExistingFolder(const QString& folder)
{
    return !folder.isEmpty() && storage::DirectoryExists2(storage::AppendUNC(folder));
}

} // namespace

FileDialogs& FileDialogs::instance()
{
    static FileDialogs dialogs;
    return dialogs;
}

FileDialogs::FileDialogs()
{
    resetLastBrowseFolder();
}

QStringList FileDialogs::programFilters()
{
    // Programs here are executables without an extension or shell scripts.
    return {QStringLiteral("Executable files (*)"), QStringLiteral("Shell scripts (*.sh)"),
            QStringLiteral("All files (*)")};
}

void FileDialogs::resetLastBrowseFolder()
{
    m_lastBrowseFolder = QDir::rootPath();
}

void FileDialogs::resetForTest()
{
    m_answers.clear();
    m_startFolders.clear();
    m_lastBrowseFolder.clear();
}

bool FileDialogs::takeAnswer(QString* answer)
{
    if (!m_answers.isEmpty()) {
        *answer = m_answers.takeFirst();
        return true;
    }
    if (m_queuedOnly) {
        answer->clear();
        return true;
    }
    return false;
}

QString FileDialogs::browseFolder(QWidget* owner, const QString& startFolder)
{
    const QString start = withoutTrailingSeparator(startFolder);
    const QString opensAt = isExistingFolder(start) ? start : QString();
    m_startFolders.append(opensAt);

    QString chosen;
    if (!takeAnswer(&chosen)) {
        chosen = QFileDialog::getExistingDirectory(
            owner, QString(), opensAt, QFileDialog::ShowDirsOnly | QFileDialog::DontResolveSymlinks);
    }
    if (chosen.isEmpty())
        return {};
    chosen = QDir::toNativeSeparators(chosen);
    // Only a real folder of the file system counts as a choice.
    return isExistingFolder(chosen) ? chosen : QString();
}

QString FileDialogs::browseFromLastFolder(QWidget* owner)
{
    if (!isExistingFolder(m_lastBrowseFolder))
        m_lastBrowseFolder.clear();
    m_lastBrowseFolder = browseFolder(owner, m_lastBrowseFolder);
    return m_lastBrowseFolder;
}

QString FileDialogs::openFile(QWidget* owner, const QString& startFolder, const QStringList& filters,
                              const QString& selectedFilter)
{
    m_startFolders.append(startFolder);
    QString chosen;
    if (!takeAnswer(&chosen)) {
        QString filter = selectedFilter;
        chosen = QFileDialog::getOpenFileName(owner, QString(), startFolder,
                                              filters.join(QStringLiteral(";;")), &filter);
    }
    return chosen.isEmpty() ? QString() : QDir::toNativeSeparators(chosen);
}

} // namespace ombrix::ui
