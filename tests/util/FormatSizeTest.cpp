#include "core/util/FormatSize.h"

#include <gtest/gtest.h>
#include <limits>
#include <QLocale>

namespace ombrix::test {

namespace {

// Sets the default locale for one test and puts the previous one back.
class LocaleScope
{
  public:
    explicit LocaleScope(const QLocale& locale) : m_previous(QLocale()) { QLocale::setDefault(locale); }
    ~LocaleScope() { QLocale::setDefault(m_previous); }

  private:
    QLocale m_previous;
};

struct SizeCase
{
    double bytes;
    const char* text;
};

} // namespace

TEST(FormatSizeTest, UnitsLimitsAndTruncationWithAPoint)
{
    const LocaleScope scope{QLocale(QLocale::English, QLocale::UnitedStates)};
    const SizeCase cases[] = {
        {0, "0 B"},
        {99, "0 B"},
        {100, "100 B"},
        {1023, "1000 B"},
        {1024, "1000 B"}, // strict limit: not yet kB
        {1025, "1 kB"},
        {1500, "1.4 kB"}, // 1.46 is cut, not rounded
        {1048576, "1024 kB"},
        {1048577, "1 MB"},
        {1572864, "1.5 MB"},
        {1073741824, "1024 MB"},
        {1610612736, "1.5 GB"},
        {3221225472.0, "3 GB"},
        {1099511627776.0 * 2, "2048 GB"}, // no group separator in large numbers
        {-5, "0 B"},
        {std::numeric_limits<double>::quiet_NaN(), "0 B"},
    };
    for (const SizeCase& c : cases)
        EXPECT_EQ(formatSize(c.bytes).toStdString(), c.text) << "bytes " << c.bytes;
}

TEST(FormatSizeTest, UsesTheLocaleDecimalSeparator)
{
    const LocaleScope scope{QLocale(QLocale::Czech, QLocale::CzechRepublic)};
    EXPECT_EQ(formatSize(1610612736), QStringLiteral("1,5 GB"));
    EXPECT_EQ(formatSize(2147483648.0 * 1000), QStringLiteral("2000 GB"));
}

} // namespace ombrix::test
