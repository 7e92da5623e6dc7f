#pragma once

#include "support/TempProgramFolder.h"
#include "ui/wiring/ProgramAssembly.h"

#include <gtest/gtest.h>
#include <memory>
#include <optional>
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

class QPushButton;

namespace ombrix::test {

// The real program window, put together as main() does it, on a temporary program folder
// (OMBRIX_HOME) with the default configuration, one source folder in sources.txt and a temporary
// destination folder. The process end is recorded instead of happening; the clock is fake so
// each START gets its own set name.
class BackupWindowFixture : public ::testing::Test
{
  protected:
    void SetUp() override;
    void TearDown() override;

    // Starts the program (interactive unless told otherwise); the readiness pass runs.
    void startProgram(app::RunMode mode = app::RunMode::Interactive);

    QString writeSource(const QString& relPath, const QByteArray& bytes);
    // A click on START a minute after the previous one; returns when the run's click returns.
    void clickStart();

    ui::ProgramAssembly& program() { return *m_program; }
    QPushButton* button(const char* name) const;
    QString status() const;
    int light() const;

    QStringList sets(const QString& destinationPath = {}) const;
    // The path of a source file's compressed archive inside a set.
    QString archiveOf(const QString& set, const QString& sourcePath) const;
    QString configValue(QAnyStringView section, QAnyStringView key) const;
    // The catalog lines stored in a set (extracted with the real 7za).
    QStringList catalogOf(const QString& set) const;

    std::unique_ptr<TempProgramFolder> home;
    QTemporaryDir destination;
    QTemporaryDir sources;
    std::optional<int> endedWith;

  private:
    QString m_previousDir;
    std::unique_ptr<ui::ProgramAssembly> m_program;
};

} // namespace ombrix::test
