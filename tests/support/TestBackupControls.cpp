#include "support/TestBackupControls.h"

#include "core/text/TextFile.h"

namespace ombrix::test {

void TestBackupControls::loadLog(const QString& path)
{
    loadedLog = TextFile::readLines(path).lines.join(QLatin1Char('\n'));
}

void TestBackupControls::showStoredSettings(const StoredSettings& settings)
{
    stored = settings;
    edit1 = settings.backupDir;
    checkBox1 = settings.runBeforeBackup;
    edit6 = settings.programBefore;
    checkBox3 = settings.runAfterBackup;
    edit7 = settings.programAfter;
    checkBox6 = settings.highCompression;
    checkBox7 = settings.verifyLastArchive;
    if (settings.passwordSet) {
        checkBox9 = true;
        password = settings.archivePassword;
    }
    checkBox11 = settings.email;
    checkBox14 = settings.autostartBackup;
    checkBox15 = settings.sourceErrorSkip;
}

} // namespace ombrix::test
