#pragma once

#include "archive/ArchiveState.h"
#include "core/config/IniStore.h"
#include "core/host/RunState.h"
#include "core/log/RunLog.h"
#include "restore/RestoreControls.h"
#include "restore/RestoreRun.h"
#include "storage/FolderDestination.h"
#include "support/RecordingHost.h"
#include "support/TempProgramFolder.h"

#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace ombrix::test {

// The restore page as plain fields.
class TestRestoreControls : public RestoreControls
{
  public:
    void setRestoreCaption(const QString& text) override { caption = text; }
    void setRestoreEnabled(bool enabled) override { restoreEnabled = enabled; }
    void enableRestoreControls(bool on) override { controlsEnabled = on; }
    void setPagesEnabled(bool enabled, int keepIndex) override
    {
        pagesEnabled = enabled;
        keptPage = keepIndex;
    }
    void setPasswordControlsEnabled(bool enabled) override { passwordControlsEnabled = enabled; }
    bool restoreToOriginal() const override { return toOriginal; }
    QString restoreFolder() const override { return folder; }
    bool exactState() const override { return exact; }
    QString chosenSet() const override { return set; }
    void selectSet(const QString& fullName) override { set = fullName; }
    void refreshSetList() override
    {
        ++refreshes;
        set.clear();
    }
    void clearResetControls() override { resetCleared = true; }
    bool passwordEnabled() const override { return !password.isEmpty(); }
    QString archivePassword() const override { return password; }

    QString caption;
    bool restoreEnabled = true;
    bool controlsEnabled = true;
    bool pagesEnabled = true;
    int keptPage = -1;
    bool passwordControlsEnabled = true;
    bool toOriginal = false;
    QString folder;
    bool exact = false;
    QString set;
    int refreshes = 0;
    bool resetCleared = false;
    QString password;
};

// A program folder with the default config.ini, a destination folder and a source folder, and a
// small backup chain maker: each makeSet() writes one set with the real archiver that holds the
// files new or changed since the previous set and a catalog listing every current file with the
// set holding its newest archive, as a backup run leaves it.
class RestoreFixture : public ::testing::Test
{
  public:
    using Tree = std::map<QString, QByteArray>; // path relative to the source folder -> content

    void SetUp() override;
    void TearDown() override;

    QString writeSource(const QString& relPath, const QByteArray& bytes);
    void removeSource(const QString& relPath);
    // The source folder as it is now.
    Tree sourceTree() const;
    // Every file below folder, relative to it.
    static Tree treeOf(const QString& folder);

    // Backs the source folder up into a new set (a second later than the previous one).
    QString makeSet();
    // The catalog of a set as makeSet() wrote it.
    QStringList catalogOf(const QString& set) const { return m_catalogs.at(set); }
    // Puts the catalog of set into recoverylist.csv and chooses the set.
    void chooseSet(const QString& set);
    void makeRun();
    // The catalog stored in a set on the destination (after a merge changed it).
    QStringList storedCatalog(const QString& set) const;
    // Restores set from its stored catalog below a fresh folder and returns the restored source tree.
    Tree restoreStored(const QString& set);

    std::unique_ptr<TempProgramFolder> program;
    QTemporaryDir destinationDir;
    QTemporaryDir sourceDir;
    QTemporaryDir restoreDir;
    RecordingHost host;
    TestRestoreControls controls;
    RunState runState;
    ArchiveState archiveState;
    std::unique_ptr<IniStore> config;
    std::unique_ptr<RunLog> runLog;
    std::unique_ptr<FolderDestination> destination;
    std::unique_ptr<RestoreRun> run;

  private:
    std::map<QString, QStringList> m_catalogs;
    std::map<QString, std::pair<QByteArray, QString>> m_archived; // path -> content, set
    int m_setCount = 0;
};

} // namespace ombrix::test
