#include "support/TestCertificate.h"

#include "support/TempProgramFolder.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>

namespace ombrix::test {

TestCertificate::TestCertificate()
{
    if (!m_dir.isValid()) {
        m_error = QStringLiteral("no temporary folder");
        return;
    }
    QDir(m_dir.path()).mkpath(QStringLiteral("empty"));
    QProcess maker;
    maker.setProcessChannelMode(QProcess::MergedChannels);
    maker.start(QStringLiteral("/usr/bin/python3"),
                {QDir(sourceDir()).filePath(QStringLiteral("tests/support/test_cert.py")), m_dir.path()});
    const bool ended = maker.waitForFinished(120000);
    m_error = QString::fromUtf8(maker.readAll());
    m_valid = ended && maker.exitStatus() == QProcess::NormalExit && maker.exitCode() == 0 &&
              QFileInfo::exists(authorityFile()) && QFileInfo::exists(certificateFile()) &&
              QFileInfo::exists(keyFile()) && QFileInfo::exists(otherAuthorityFile());
}

} // namespace ombrix::test
