// Drives the restore and merge engines on a prepared program folder without a window, the way
// the restore and merge buttons do, and prints the figures for bench/run_bench.py and
// bench/ftp_bench.py.
//
//   ombrix_bench restore HOME SET TARGET   restores recoverylist.csv of HOME (the catalog of SET)
//                                          below TARGET
//   ombrix_bench merge HOME FROM TO        merges the sets FROM..TO (full names) into TO
//
// HOME is a program folder whose config.ini names the destination as the program keeps it
// (BACKUP_DESTINATION with BACKUP_DIR, or the FTP server of BACKUP_FTP_HOST, BACKUP_FTP_USER,
// BACKUP_FTP_PASS and BACKUP_FTP_DIR); the destination is made and opened as the program's
// readiness pass does. Output: one line "seconds=S lines=N ..." on success, a message and exit
// code 1 otherwise.

#include "archive/ArchiveState.h"
#include "core/catalog/CatalogFile.h"
#include "core/catalog/SetName.h"
#include "core/config/ConfigKeys.h"
#include "core/config/IniStore.h"
#include "core/config/Scrambling.h"
#include "core/host/Host.h"
#include "core/host/RunState.h"
#include "core/log/RunLog.h"
#include "merge/MergeControls.h"
#include "merge/MergeRun.h"
#include "restore/RestoreControls.h"
#include "restore/RestoreRun.h"
#include "storage/Destination.h"
#include "storage/ProgramDestination.h"

#include <cstdio>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>

namespace {

using namespace ombrix;

// Nobody watches: statuses and progress go nowhere, questions get their default answer.
class SilentHost : public Host
{
  public:
    void showStatus(Page, const QString&) override {}
    void setStatusHint(Page, const QString&) override {}
    void setTrafficLight(int) override {}
    void setProgress(Page, int, int) override {}
    void setTransferActivity(bool, const QString&) override {}
    void pump() override {}
    Answer ask(AskKind, const QString& text, Answer defaultAnswer) override
    {
        std::fprintf(stderr, "message: %s\n", qPrintable(text));
        return defaultAnswer;
    }
    void showLog(const QString&) override {}
};

// The restore page with a set chosen and "restore below a folder" selected.
class BelowFolderRestore : public RestoreControls
{
  public:
    BelowFolderRestore(QString set, QString folder) : m_set(std::move(set)), m_folder(std::move(folder)) {}
    void setRestoreCaption(const QString&) override {}
    void setRestoreEnabled(bool) override {}
    void enableRestoreControls(bool) override {}
    void setPagesEnabled(bool, int) override {}
    void setPasswordControlsEnabled(bool) override {}
    bool restoreToOriginal() const override { return false; }
    QString restoreFolder() const override { return m_folder; }
    bool exactState() const override { return false; }
    QString chosenSet() const override { return m_set; }
    void selectSet(const QString& fullName) override { m_set = fullName; }
    void refreshSetList() override { m_set.clear(); }
    void clearResetControls() override {}
    bool passwordEnabled() const override { return false; }
    QString archivePassword() const override { return {}; }

  private:
    QString m_set;
    QString m_folder;
};

// The merge page listing every set of the destination with one range selected.
class RangeMerge : public MergeControls
{
  public:
    RangeMerge(const QStringList& sets, const QString& from, const QString& to)
    {
        for (const QString& set : sets) {
            if (set >= from && set <= to)
                m_selected << int(m_entries.size());
            m_entries << SetName::withoutPrefix(set);
        }
    }
    void setMergeCaption(const QString&) override {}
    void setMergeEnabled(bool) override {}
    void enableMergeList(bool) override {}
    void setPagesEnabled(bool, int) override {}
    QStringList mergeEntries() const override { return m_entries; }
    QList<int> selectedPositions() const override { return m_selected; }
    void setMergeEntry(int position, const QString& text) override { m_entries[position] = text; }
    void selectOnly(int) override {}
    void selectMergeRange() override {}
    void listMergeSets() override {}
    void clearRestoreListLoaded() override {}
    void xExit() override {}
    bool passwordEnabled() const override { return false; }
    QString archivePassword() const override { return {}; }

  private:
    QStringList m_entries;
    QList<int> m_selected;
};

int usage()
{
    std::fprintf(stderr,
                 "usage: ombrix_bench restore HOME SET TARGET | merge HOME FROM TO | scramble PASSWORD\n");
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    // The form config.ini keeps a password in, for benchmarks that write a config themselves.
    if (args.size() == 3 && args.at(1) == QLatin1String("scramble")) {
        std::printf("%s\n", sifruj(args.at(2)).toUtf8().constData());
        return 0;
    }
    if (args.size() != 5)
        return usage();
    const QString mode = args.at(1);
    const QString home = QDir(args.at(2)).absolutePath();
    qputenv("OMBRIX_HOME", QFile::encodeName(home));
    QDir::setCurrent(home);

    SilentHost host;
    RunState runState;
    ArchiveState archiveState;
    IniStore config(QDir(home).filePath(QStringLiteral("config.ini")));
    RunLog runLog(QDir(home).filePath(QStringLiteral("log.txt")));
    // The destination config.ini names, opened as the readiness pass opens it before a run.
    ProgramDestination programDestination(config, host, runState, &runLog);
    if (!programDestination.open()) {
        std::fprintf(stderr, "the destination is not reachable\n");
        return 1;
    }
    Destination& destination = programDestination.destination();
    QElapsedTimer timer;

    if (mode == QLatin1String("restore")) {
        const qsizetype lines =
            CatalogFile::read(QDir(home).filePath(QStringLiteral("recoverylist.csv"))).lines.size();
        BelowFolderRestore controls(args.at(3), args.at(4));
        RestoreRun run(host, controls, config, runLog, runState, archiveState, destination);
        run.setReconnect([&destination] {
            destination.reconnect();
            return destination.isOnline();
        });
        run.setPausePercent(0);
        timer.start();
        run.runRestore();
        const double seconds = double(timer.nsecsElapsed()) / 1e9;
        if (config.readInt(ConfigKeys::RECOVERY_DONE, 0) != 1) {
            std::fprintf(stderr, "the restore did not complete\n");
            return 1;
        }
        std::printf("seconds=%.3f lines=%lld refused=%d\n", seconds, static_cast<long long>(lines),
                    run.refusedLines());
        return 0;
    }
    if (mode == QLatin1String("merge")) {
        RangeMerge controls(destination.listSetFolders(), args.at(3), args.at(4));
        config.writeString(ConfigKeys::SUM_FROM, SetName::withoutPrefix(args.at(3)));
        config.writeString(ConfigKeys::SUM_TO, SetName::withoutPrefix(args.at(4)));
        MergeRun run(host, controls, config, runLog, runState, archiveState, destination);
        run.setPausePercent(0);
        timer.start();
        run.runMerge();
        const double seconds = double(timer.nsecsElapsed()) / 1e9;
        if (run.refused() || config.readInt(ConfigKeys::SUM_DONE, 0) != 1) {
            std::fprintf(stderr, "the merge was refused or did not finish\n");
            return 1;
        }
        std::printf("seconds=%.3f sets=%lld unmoved=%lld\n", seconds,
                    static_cast<long long>(controls.selectedPositions().size()),
                    static_cast<long long>(run.unmovedFiles().size()));
        return 0;
    }
    return usage();
}
