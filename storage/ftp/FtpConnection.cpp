#include "storage/ftp/FtpConnection.h"

#include "core/remote/FtpAddress.h"

#include <QStringList>

namespace ombrix {

bool FtpConnection::connect()
{
    m_client.setPassive(m_settings.passive);
    m_client.setBinary(m_settings.binary);
    const FtpAddress address = FtpAddress::parse(m_settings.hostField);
    if (!address.valid)
        return false;
    return m_client.connectTo(address.host, address.port, m_settings.user, m_settings.password);
}

bool FtpConnection::open()
{
    m_ftpOnline = false;
    if (!usable())
        return false;
    m_client.disconnect();
    connect(); // its errors do not count: the NOOP below decides
    m_ftpOnline = true;
    if (!m_client.noop())
        m_ftpOnline = false;
    return m_ftpOnline;
}

void FtpConnection::ftpReconect()
{
    if (!usable())
        return;
    if (!m_client.isOpen())
        connect();
    if (m_client.isOpen())
        m_ftpOnline = true;
}

void FtpConnection::keepAliveTick()
{
    if (!usable() || !m_ftpOnline || !m_client.isOpen())
        return;
    QStringList discarded;
    m_client.listDetailed(QString(), discarded);
}

bool FtpConnection::noop()
{
    return m_client.noop();
}

void FtpConnection::disconnect()
{
    m_client.disconnect();
}

} // namespace ombrix
