#include "archive/Archiver.h"
#include "archive/ArchiverRunner.h"
#include "archive/ArchiveSettings.h"
#include "archive/ArchiveState.h"
#include "archive/Extractor.h"
#include "core/host/RunState.h"
#include "storage/FolderDestination.h"
#include "support/RecordingHost.h"
#include "support/TempProgramFolder.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

namespace ombrix::test {

namespace {

const QString setName = QStringLiteral("OMX_2014-03-05_21-07-09");

// Plain copies (files stored uncompressed) are made by the external copier ombrixcopy. Here it is
// either the real one of the build, or one that is found first on PATH but cannot be started: its
// interpreter line names a program that does not exist, so the system refuses to run it.
class CopierStart : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_sources.isValid() && m_destinationDir.isValid() && m_target.isValid() &&
                    m_fakeBin.isValid());
        m_hadBin = qEnvironmentVariableIsSet("OMBRIX_BIN_DIR");
        m_previousBin = qgetenv("OMBRIX_BIN_DIR");
        m_previousPath = qgetenv("PATH");
        QFile copier(m_fakeBin.filePath(QStringLiteral("ombrixcopy")));
        ASSERT_TRUE(copier.open(QIODevice::WriteOnly));
        copier.write("#!/nonexistent/interpreter/for/ombrix/tests\n");
        copier.close();
        ASSERT_TRUE(
            copier.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner));
        m_settings.targetArchiveName = setName;
        m_settings.internalCopy = false;
    }
    void TearDown() override
    {
        if (m_hadBin)
            qputenv("OMBRIX_BIN_DIR", m_previousBin);
        else
            qunsetenv("OMBRIX_BIN_DIR");
        qputenv("PATH", m_previousPath);
    }

    void useWorkingCopier()
    {
        qputenv("OMBRIX_BIN_DIR", binDir().toLocal8Bit());
        qputenv("PATH", m_previousPath);
    }
    void useCopierThatCannotStart()
    {
        qunsetenv("OMBRIX_BIN_DIR");
        qputenv("PATH", m_fakeBin.path().toLocal8Bit() + ':' + m_previousPath);
    }

    QString writeSource(const QString& relative, const QByteArray& bytes) const
    {
        const QString path = m_sources.filePath(relative);
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    }
    Archiver archiver() { return Archiver(m_destination, m_runner, m_host, nullptr, m_settings); }
    Extractor extractor() { return Extractor(m_destination, m_runner, m_host, nullptr, m_state, m_settings); }

    // The one message box shown: an error with the system's reason.
    void expectOneStartFailureShown() const
    {
        ASSERT_EQ(m_host.questions().size(), 1u);
        EXPECT_EQ(m_host.questions().front().kind, AskKind::Error);
        EXPECT_FALSE(m_host.questions().front().text.trimmed().isEmpty());
    }

    TempProgramFolder m_program;
    QTemporaryDir m_sources;
    QTemporaryDir m_destinationDir;
    QTemporaryDir m_target;
    QTemporaryDir m_fakeBin;
    RunState m_runState;
    RecordingHost m_host;
    ArchiverRunner m_runner{m_runState, m_host};
    ArchiveState m_state;
    ArchiveSettings m_settings;
    FolderDestination m_destination{m_destinationDir.path()};
    bool m_hadBin = false;
    QByteArray m_previousBin;
    QByteArray m_previousPath;
};

} // namespace

TEST_F(CopierStart, StoringAPlainCopyReportsTheCopierThatCannotStartAndFails)
{
    const QString source = writeSource(QStringLiteral("Video/clip.avi"), "frames");
    useCopierThatCannotStart();
    EXPECT_FALSE(archiver().archivovat(source, QStringLiteral("1")));
    expectOneStartFailureShown();
    EXPECT_FALSE(QFileInfo::exists(m_destinationDir.filePath(setName) + source));
}

TEST_F(CopierStart, RestoringAPlainCopyReportsTheCopierThatCannotStartAndFails)
{
    const QString source = writeSource(QStringLiteral("Video/clip.avi"), "frames");
    useWorkingCopier();
    ASSERT_TRUE(archiver().archivovat(source, QStringLiteral("1")));
    ASSERT_TRUE(m_host.questions().empty());

    useCopierThatCannotStart();
    EXPECT_FALSE(extractor().dearchivovat(setName, source, m_target.path(), QStringLiteral("1")));
    expectOneStartFailureShown();
    EXPECT_FALSE(QFileInfo::exists(m_target.filePath(QStringLiteral("clip.avi"))));
}

} // namespace ombrix::test
