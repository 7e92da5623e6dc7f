#include "core/remote/FtpAddress.h"

#include <gtest/gtest.h>
#include <QString>

using namespace ombrix;

namespace {

struct AddressCase
{
    const char* field;
    bool valid;
    const char* host;
    int port;
};

} // namespace

TEST(FtpAddress, Table)
{
    const AddressCase cases[] = {
        {"ftp.example.org", true, "ftp.example.org", 21},
        {"ftp.example.org:2121", true, "ftp.example.org", 2121},
        {"127.0.0.1:65535", true, "127.0.0.1", 65535},
        {"  backup.local:21  ", true, "backup.local", 21},
        {"host:1", true, "host", 1},
        {"host:00021", true, "host", 21},
        {"", false, "", 21},
        {"   ", false, "", 21},
        {":21", false, "", 21},
        {"host:", false, "", 21},
        {"host:0", false, "", 21},
        {"host:65536", false, "", 21},
        {"host:123456", false, "", 21},
        {"host:21x", false, "", 21},
        {"host:-21", false, "", 21},
        {"host:+21", false, "", 21},
        {"host:21:22", false, "", 21},
        {"my host:21", false, "", 21},
        {"::1", false, "", 21},
    };
    for (const AddressCase& c : cases) {
        const FtpAddress address = FtpAddress::parse(QString::fromLatin1(c.field));
        EXPECT_EQ(address.valid, c.valid) << c.field;
        if (c.valid) {
            EXPECT_EQ(address.host, QString::fromLatin1(c.host)) << c.field;
            EXPECT_EQ(address.port, c.port) << c.field;
        }
    }
}
