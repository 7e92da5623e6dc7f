#pragma once

#include <QString>
#include <QTemporaryDir>

namespace ombrix::test {

// Certificates made for one test by test_cert.py in a temporary folder: a test authority, a
// server certificate it signed for 127.0.0.1, ::1 and localhost (with its key), and a second
// authority that signed nothing.
class TestCertificate
{
  public:
    TestCertificate();

    // False (with the script's output in error()) when the files could not be made.
    bool isValid() const { return m_valid; }
    const QString& error() const { return m_error; }

    QString authorityFile() const { return m_dir.filePath(QStringLiteral("ca.pem")); }
    QString otherAuthorityFile() const { return m_dir.filePath(QStringLiteral("other_ca.pem")); }
    QString certificateFile() const { return m_dir.filePath(QStringLiteral("server.pem")); }
    QString keyFile() const { return m_dir.filePath(QStringLiteral("server.key")); }
    // An empty folder, to stand for the system's certificate folder.
    QString emptyFolder() const { return m_dir.filePath(QStringLiteral("empty")); }

  private:
    QTemporaryDir m_dir;
    bool m_valid = false;
    QString m_error;
};

} // namespace ombrix::test
