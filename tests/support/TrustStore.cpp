#include "support/TrustStore.h"

#include <QFile>

namespace ombrix::test {

TrustStore::TrustStore(const QString& authorityFile, const QString& emptyFolder)
    : m_file(save("SSL_CERT_FILE")), m_dir(save("SSL_CERT_DIR"))
{
    qputenv("SSL_CERT_FILE", QFile::encodeName(authorityFile));
    qputenv("SSL_CERT_DIR", QFile::encodeName(emptyFolder));
}

TrustStore::~TrustStore()
{
    restore("SSL_CERT_FILE", m_file);
    restore("SSL_CERT_DIR", m_dir);
}

TrustStore::Saved TrustStore::save(const char* name)
{
    return {qEnvironmentVariableIsSet(name), qgetenv(name)};
}

void TrustStore::restore(const char* name, const Saved& saved)
{
    if (saved.set)
        qputenv(name, saved.value);
    else
        qunsetenv(name);
}

} // namespace ombrix::test
