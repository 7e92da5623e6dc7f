#include "support/KillTestChain.h"

namespace ombrix::test {

void makeKillTestChain(const ChainBuilder& builder)
{
    const auto name = [](int i) {
        return QStringLiteral("d%1/f%2.bin").arg(i % 3).arg(i, 2, 10, QLatin1Char('0'));
    };
    const auto content = [](int i, const char* version) {
        QByteArray bytes = QByteArray(version) + ' ' + QByteArray::number(i) + '\n';
        for (int k = 0; k < 64 * (i + 1); ++k)
            bytes += char((k * 31 + i * 7) & 0xff);
        return bytes;
    };
    for (int i = 0; i < 14; ++i)
        builder.writeSource(name(i), content(i, "full"));
    builder.writeSource(QStringLiteral("empty.txt"), QByteArray());
    builder.addSet();

    for (int i = 0; i < 14; i += 3)
        builder.writeSource(name(i), content(i, "changed"));
    builder.writeSource(QStringLiteral("d1/new one.txt"), "added in the second set");
    builder.addSet();

    for (int i = 1; i < 14; i += 4)
        builder.removeSource(name(i));
    builder.addSet();

    builder.writeSource(name(2), content(2, "changed again"));
    builder.writeSource(name(5), content(5, "changed again"));
    builder.addSet();

    builder.writeSource(QStringLiteral("d2/late.txt"), "added in the last set");
    builder.addSet();
}

} // namespace ombrix::test
