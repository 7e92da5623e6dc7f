#pragma once

#include "support/FtpServer.h"
#include "support/PythonServer.h"

#include <memory>
#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QString>
#include <QTemporaryDir>
#include <QUrl>

namespace ombrix::test {

// A stand-in for the network-disk service on 127.0.0.1, for one test: its web host
// (skyvra_standin.py, HTTPS with the certificate given) answering the account information query
// for one account, and its FTP host (ftp_server.py) serving that account from a temporary folder,
// the account root. The web host answers the set information bytes when the query names the
// account and the digest of its password, "403" with an empty body otherwise.
//
// pointProgramHere() sets OMBRIX_SKYVRA_INFO_URL and OMBRIX_SKYVRA_FTP_HOST to the stand-in;
// the previous values come back when the object goes. Both hosts are stopped then too, and when
// the test failed their logs are printed first.
class SkyvraStandIn
{
  public:
    static constexpr const char* defaultUser = "skyvra-ucet";
    static constexpr const char* defaultPassword = "Heslo-Skyvra 7";

    SkyvraStandIn(const QString& certificateFile, const QString& keyFile,
                  const QString& user = QLatin1String(defaultUser),
                  const QString& password = QLatin1String(defaultPassword));
    ~SkyvraStandIn();
    SkyvraStandIn(const SkyvraStandIn&) = delete;
    SkyvraStandIn& operator=(const SkyvraStandIn&) = delete;

    // Both hosts, or one of them; false with the reason in *error.
    bool start(QString* error);
    bool startWebHost(QString* error);
    bool startFtpHost(QString* error);
    // The web host goes away (its port then refuses connections).
    void stopWebHost();

    void pointProgramHere();

    // https://127.0.0.1:<port>, the form of OMBRIX_SKYVRA_INFO_URL.
    QUrl infoUrl() const;
    // "127.0.0.1:<port>", the form of OMBRIX_SKYVRA_FTP_HOST.
    QString ftpHostField() const;
    const QString& user() const { return m_user; }
    const QString& password() const { return m_password; }
    // The account root on the FTP host's disk.
    QString accountRoot() const { return m_root.path(); }

    // The body of the answer for the right account (may change while it runs).
    void setInfo(const QByteArray& body);
    // Every query so far: "path", "query", "user", "pass" (as the server decoded them), "accept",
    // "user_agent".
    QList<QJsonObject> requests() const;
    QString webLog() const { return m_web->log(); }

  private:
    struct SavedVariable
    {
        const char* name = nullptr;
        bool set = false;
        QByteArray value;
    };

    void setVariable(const char* name, const QByteArray& value);

    QString m_user;
    QString m_password;
    QTemporaryDir m_root;
    std::unique_ptr<PythonServer> m_web;
    std::unique_ptr<FtpServer> m_ftp;
    QList<SavedVariable> m_saved;
};

} // namespace ombrix::test
