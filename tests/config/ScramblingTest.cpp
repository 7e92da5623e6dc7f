#include "core/config/Scrambling.h"

#include <gtest/gtest.h>
#include <QRegularExpression>

using namespace ombrix;

TEST(Scrambling, KnownFormUnscramblesWhateverLettersAndDashesAreAdded)
{
    const char* forms[] = {
        "12980-29823-105",
        "1298029823105",
        "A12980-29823-105",
        "1Y2980-2B9823-1X05",
        "12-98-02-98-23-10-5",
        "-1298029823105-",
        "1-2980ABCDEFGHIJKLMNOPQRSTUVWXY29823105",
    };
    for (const char* form : forms) {
        SCOPED_TRACE(form);
        EXPECT_EQ(desifruj(QString::fromLatin1(form)), QStringLiteral("abc"));
    }
}

TEST(Scrambling, RoundTripsAnyText)
{
    const QString texts[] = {
        QString(),
        QStringLiteral("a"),
        QStringLiteral("heslo123"),
        QStringLiteral("Příliš žluťoučký kůň úpěl ďábelské ódy"),
        QStringLiteral("日本語\U0001F600 \"quoted\" =;[]"),
        QString(QChar(0)) + QStringLiteral("nul") + QChar(0xFFFF),
        QString(2000, QChar(u'ž')),
    };
    for (const QString& text : texts) {
        SCOPED_TRACE(text.left(20).toStdString());
        const QString scrambled = sifruj(text);
        EXPECT_EQ(desifruj(scrambled), text);
        // Digits, capitals A-Y and dashes only; never a dash or a letter at the end.
        EXPECT_TRUE(QRegularExpression(QStringLiteral("\\A[0-9A-Y-]*\\z")).match(scrambled).hasMatch());
        if (!scrambled.isEmpty()) {
            EXPECT_TRUE(scrambled.back().isDigit());
            EXPECT_FALSE(scrambled.startsWith(QLatin1Char('-')));
            EXPECT_FALSE(scrambled.contains(QStringLiteral("--")));
        }
    }
    EXPECT_EQ(sifruj(QString()), QString());
}

TEST(Scrambling, IsRandom)
{
    const QString password = QStringLiteral("tajne heslo");
    const QString first = sifruj(password);
    const QString second = sifruj(password);
    EXPECT_NE(first, second);
    EXPECT_EQ(desifruj(first), password);
    EXPECT_EQ(desifruj(second), password);
}

TEST(Scrambling, DashesStandBeforeEveryFifthCharacter)
{
    // Between the dashes every group is five characters; the last one is two to six, as a dash
    // never stands before the final character.
    for (int n = 0; n < 50; ++n) {
        const QString scrambled = sifruj(QString(n % 7 + 1, QLatin1Char('x')));
        const QStringList groups = scrambled.split(QLatin1Char('-'));
        for (qsizetype i = 0; i + 1 < groups.size(); ++i)
            EXPECT_EQ(groups.at(i).size(), 5) << scrambled.toStdString();
        EXPECT_GE(groups.last().size(), 2) << scrambled.toStdString();
        EXPECT_LE(groups.last().size(), 6) << scrambled.toStdString();
    }
}

TEST(Scrambling, ForeignTextNeverReadsOutOfRange)
{
    const struct
    {
        const char* input;
        QString expected;
    } cases[] = {
        {"", QString()},
        {"heslo", QString()},             // no digits at all
        {"7", QString()},                 // a lone digit
        {"12", QString()},                // r and L but no value
        {"129", QString()},               // the value cut short
        {"12980", QStringLiteral("a")},   // a complete group and a lone digit
        {"1298029", QStringLiteral("a")}, // the second group cut short
        {"1012980", QString()},           // a digit count of 0
        {"1298010", QStringLiteral("a") + QChar(0)},
        {"9201", QString()},       // 1 - 9 * 1: a negative code
        {"0999999999", QString()}, // beyond 0xFFFF
        {"0565535010", QString(QChar(0xFFFF)) + QChar(0)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.input);
        EXPECT_EQ(desifruj(QString::fromLatin1(c.input)), c.expected);
    }
    // Long random-looking digit runs: must terminate and stay within the text.
    QString digits;
    for (int i = 0; i < 5000; ++i)
        digits += QChar(u'0' + (i * 7919 % 10));
    EXPECT_LE(desifruj(digits).size(), digits.size() / 2);
}
