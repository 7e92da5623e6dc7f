#include "support/SkyvraStandIn.h"

#include <cstdio>
#include <gtest/gtest.h>
#include <QFile>
#include <QJsonDocument>
#include <QSaveFile>
#include <QStringList>

namespace ombrix::test {

namespace {

// The stand-in's files, in the web host's own folder (its working directory).
const QString passwordFile = QStringLiteral("password");
const QString infoFile = QStringLiteral("info");
const QString requestsFile = QStringLiteral("requests.jsonl");

bool writeWhole(const QString& path, const QByteArray& bytes)
{
    // Whole or not at all: the server may be reading it right now.
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit();
}

} // namespace

SkyvraStandIn::SkyvraStandIn(const QString& certificateFile, const QString& keyFile, const QString& user,
                             const QString& password)
    : m_user(user), m_password(password)
{
    m_web = std::make_unique<PythonServer>(
        QStringLiteral("skyvra_standin.py"),
        QStringList{QStringLiteral("--cert"), certificateFile, QStringLiteral("--key"), keyFile,
                    QStringLiteral("--user"), user, QStringLiteral("--password-file"), passwordFile,
                    QStringLiteral("--info-file"), infoFile, QStringLiteral("--requests"), requestsFile});
    // The password never shows on the server's command line.
    writeWhole(m_web->file(passwordFile), password.toUtf8() + '\n');
    QFile(m_web->file(passwordFile)).setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    setInfo(QByteArrayLiteral("Skyvra: 10 GB, 10 GB free\r\n"));
    m_ftp = std::make_unique<FtpServer>(m_root.path(), user, password);
}

SkyvraStandIn::~SkyvraStandIn()
{
    for (const SavedVariable& saved : m_saved) {
        if (saved.set)
            qputenv(saved.name, saved.value);
        else
            qunsetenv(saved.name);
    }
    if (::testing::Test::HasFailure())
        std::fprintf(stderr, "---- network-disk web host log ----\n%s\n----\n", qPrintable(m_web->log()));
    m_web->stop();
    // Prints its own logs when the test failed.
    m_ftp.reset();
}

bool SkyvraStandIn::start(QString* error)
{
    return startWebHost(error) && startFtpHost(error);
}

bool SkyvraStandIn::startWebHost(QString* error)
{
    if (!m_root.isValid()) {
        *error = QStringLiteral("no temporary folder for the account");
        return false;
    }
    return m_web->start(error);
}

bool SkyvraStandIn::startFtpHost(QString* error)
{
    if (m_ftp->start())
        return true;
    *error = m_ftp->errorText();
    return false;
}

void SkyvraStandIn::stopWebHost()
{
    m_web->stop();
}

void SkyvraStandIn::pointProgramHere()
{
    setVariable("OMBRIX_SKYVRA_INFO_URL", infoUrl().toString().toUtf8());
    setVariable("OMBRIX_SKYVRA_FTP_HOST", ftpHostField().toUtf8());
}

void SkyvraStandIn::setVariable(const char* name, const QByteArray& value)
{
    bool saved = false;
    for (const SavedVariable& earlier : m_saved)
        saved = saved || qstrcmp(earlier.name, name) == 0;
    if (!saved)
        m_saved.append(SavedVariable{name, qEnvironmentVariableIsSet(name), qgetenv(name)});
    qputenv(name, value);
}

QUrl SkyvraStandIn::infoUrl() const
{
    return QUrl(QStringLiteral("https://127.0.0.1:%1").arg(m_web->port()));
}

QString SkyvraStandIn::ftpHostField() const
{
    return m_ftp->hostField();
}

void SkyvraStandIn::setInfo(const QByteArray& body)
{
    writeWhole(m_web->file(infoFile), body);
}

QList<QJsonObject> SkyvraStandIn::requests() const
{
    QList<QJsonObject> found;
    QFile file(m_web->file(requestsFile));
    if (!file.open(QIODevice::ReadOnly))
        return found;
    for (const QByteArray& line : file.readAll().split('\n')) {
        if (!line.trimmed().isEmpty())
            found.append(QJsonDocument::fromJson(line).object());
    }
    return found;
}

} // namespace ombrix::test
