#include "notify/SkyvraInfo.h"

#include "core/util/Md5.h"
#include "support/QtPrinters.h"
#include "support/SkyvraStandIn.h"
#include "support/TestCertificate.h"
#include "support/TrustStore.h"

#include <gtest/gtest.h>
#include <iterator>
#include <memory>
#include <QByteArray>
#include <QJsonObject>
#include <QStringEncoder>

using namespace ombrix;
using namespace ombrix::test;

namespace {

QString u8(const char* text)
{
    return QString::fromUtf8(text);
}

// The account information query against the stand-in service's web host (HTTPS on loopback,
// its certificate trusted through the test's own authority).
class SkyvraInfoQuery : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        ASSERT_TRUE(certificates.isValid()) << certificates.error().toStdString();
        trust = std::make_unique<TrustStore>(certificates.authorityFile(), certificates.emptyFolder());
        standIn = std::make_unique<SkyvraStandIn>(certificates.certificateFile(), certificates.keyFile(),
                                                  user, password);
        QString error;
        ASSERT_TRUE(standIn->startWebHost(&error)) << error.toStdString();
        standIn->pointProgramHere();
    }

    void TearDown() override
    {
        standIn.reset();
        trust.reset();
    }

    // An account name that needs encoding in a query, a password with a national character.
    const QString user = u8("Jan Novák & spol.");
    const QString password = u8("Heslořek 1");
    TestCertificate certificates;
    std::unique_ptr<TrustStore> trust;
    std::unique_ptr<SkyvraStandIn> standIn;
};

TEST_F(SkyvraInfoQuery, TheRightAccountGetsTheFirstLineOfTheAnswer)
{
    QStringEncoder utf16(QStringEncoder::Utf16LE);
    const struct
    {
        QByteArray body;
        QString line;
    } cases[] = {
        {"Kapacita 10 GB\r\nvolno 7 GB\r\n", u8("Kapacita 10 GB")},
        {"only line", u8("only line")},
        {"first\nsecond\nthird\n", u8("first")},
        // A byte-order mark selects the encoding.
        {QByteArray("\xEF\xBB\xBF") + u8("Účet platí do 31. 12. 2025\r\nDruhý řádek").toUtf8(),
         u8("Účet platí do 31. 12. 2025")},
        {QByteArray("\xFF\xFE") + QByteArray(utf16(u8("Volno: 5 GB, šifrováno\r\nx"))),
         u8("Volno: 5 GB, šifrováno")},
        // Nothing to show: an empty body, an empty first line.
        {"", QString()},
        {"\r\nsecond line", QString()},
    };
    for (const auto& c : cases) {
        standIn->setInfo(c.body);
        EXPECT_EQ(get_skyvra_info(user, password), c.line) << c.body.toStdString();
    }

    // What was asked: the account name decoded back to itself, the upper-case digest of the
    // password with "?" for "ř", never the password; the header the service expects.
    const QList<QJsonObject> requests = standIn->requests();
    ASSERT_EQ(requests.size(), qsizetype(std::size(cases)));
    const QJsonObject& asked = requests.first();
    EXPECT_EQ(asked.value(QStringLiteral("path")).toString(), QStringLiteral("/getSkyvraInfo.php"));
    EXPECT_EQ(asked.value(QStringLiteral("user")).toString(), user);
    EXPECT_EQ(asked.value(QStringLiteral("pass")).toString(), MD5(u8("Heslo?ek 1")));
    EXPECT_EQ(asked.value(QStringLiteral("query")).toString(),
              QStringLiteral("user=Jan%20Nov%C3%A1k%20%26%20spol.&pass=") + MD5(password));
    EXPECT_EQ(asked.value(QStringLiteral("accept")).toString(), QStringLiteral("text/html, */*"));
}

TEST_F(SkyvraInfoQuery, AWrongAccountOrPasswordGetsNothing)
{
    standIn->setInfo("Kapacita 10 GB\r\n");
    EXPECT_EQ(get_skyvra_info(user, u8("Heslo 2")), QString());
    EXPECT_EQ(get_skyvra_info(u8("Jan Novák"), password), QString());
    EXPECT_EQ(get_skyvra_info(user, QString()), QString());
    // The service answered each of them (with 403): the empty text is its refusal.
    EXPECT_EQ(standIn->requests().size(), 3);

    // A password that differs only in a national character is the same query.
    EXPECT_EQ(get_skyvra_info(user, u8("Heslošek 1")), u8("Kapacita 10 GB"));
    EXPECT_EQ(get_skyvra_info(user, password), u8("Kapacita 10 GB"));
}

TEST_F(SkyvraInfoQuery, AnUntrustedCertificateSendsNothing)
{
    standIn->setInfo("Kapacita 10 GB\r\n");
    {
        const TrustStore other(certificates.otherAuthorityFile(), certificates.emptyFolder());
        EXPECT_EQ(get_skyvra_info(user, password), QString());
    }
    EXPECT_TRUE(standIn->requests().isEmpty()) << "the query was sent to a server that was not verified";
    // Trusted again, the same server answers.
    EXPECT_EQ(get_skyvra_info(user, password), u8("Kapacita 10 GB"));
}

TEST_F(SkyvraInfoQuery, APlainHttpAddressIsNotAsked)
{
    standIn->setInfo("Kapacita 10 GB\r\n");
    QUrl plain = standIn->infoUrl();
    plain.setScheme(QStringLiteral("http"));
    qputenv("OMBRIX_SKYVRA_INFO_URL", plain.toString().toUtf8());
    EXPECT_EQ(get_skyvra_info(user, password), QString());
    EXPECT_TRUE(standIn->requests().isEmpty());
}

TEST_F(SkyvraInfoQuery, AServiceThatIsDownGivesAnEmptyText)
{
    standIn->setInfo("Kapacita 10 GB\r\n");
    ASSERT_EQ(get_skyvra_info(user, password), u8("Kapacita 10 GB"));
    standIn->stopWebHost();
    EXPECT_EQ(get_skyvra_info(user, password), QString());
}

} // namespace
