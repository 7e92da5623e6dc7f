#pragma once

#include <QByteArray>
#include <QString>

namespace ombrix::test {

// While it lives, TLS connections of this process (and of programs it starts) trust exactly the
// authority in one file: SSL_CERT_FILE names that file and SSL_CERT_DIR an empty folder, so the
// system's own certificates play no part. The previous values come back afterwards.
class TrustStore
{
  public:
    TrustStore(const QString& authorityFile, const QString& emptyFolder);
    ~TrustStore();
    TrustStore(const TrustStore&) = delete;
    TrustStore& operator=(const TrustStore&) = delete;

  private:
    struct Saved
    {
        bool set = false;
        QByteArray value;
    };
    static Saved save(const char* name);
    static void restore(const char* name, const Saved& saved);

    Saved m_file;
    Saved m_dir;
};

} // namespace ombrix::test
