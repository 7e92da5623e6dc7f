#include "core/util/RunProgress.h"

#include "core/lang/Translator.h"
#include "core/util/Clock.h"
#include "core/util/FormatDuration.h"
#include "core/util/FormatSize.h"

#include <algorithm>
#include <cmath>
#include <QStringList>

namespace ombrix {

namespace {

qint64 nowMs()
{
    return Clock::currentDateTimeUtc().toMSecsSinceEpoch();
}

} // namespace

RunProgress::RunProgress(qint64 filesTotal, qint64 bytesTotal)
    : m_filesTotal(std::max<qint64>(filesTotal, 0)), m_bytesTotal(bytesTotal), m_startMs(nowMs())
{
}

void RunProgress::resumeAt(qint64 filesDone, qint64 bytesDone)
{
    m_filesDone = std::max<qint64>(filesDone, 0);
    m_bytesDone = std::max<qint64>(bytesDone, 0);
    m_filesBefore = m_filesDone;
    m_bytesBefore = m_bytesDone;
    m_startMs = nowMs();
}

void RunProgress::fileDone(qint64 bytes)
{
    ++m_filesDone;
    m_bytesDone += std::max<qint64>(bytes, 0);
}

qint64 RunProgress::elapsedMs() const
{
    return std::max<qint64>(nowMs() - m_startMs, 0);
}

double RunProgress::bytesPerSecond() const
{
    const qint64 elapsed = elapsedMs();
    if (elapsed < estimateAfterMs)
        return -1;
    return double(m_bytesDone - m_bytesBefore) * 1000.0 / double(elapsed);
}

qint64 RunProgress::secondsLeft() const
{
    const qint64 elapsed = elapsedMs();
    if (elapsed < estimateAfterMs)
        return -1;
    if (m_filesDone >= m_filesTotal && (m_bytesTotal < 0 || m_bytesDone >= m_bytesTotal))
        return 0;
    // The rest at this run's pace; in doubles, since bytes times milliseconds can exceed 64 bits.
    double leftMs = -1;
    const qint64 bytesThisRun = m_bytesDone - m_bytesBefore;
    const qint64 filesThisRun = m_filesDone - m_filesBefore;
    if (m_bytesTotal >= 0 && bytesThisRun > 0)
        leftMs =
            double(std::max<qint64>(m_bytesTotal - m_bytesDone, 0)) * double(elapsed) / double(bytesThisRun);
    else if (filesThisRun > 0)
        leftMs =
            double(std::max<qint64>(m_filesTotal - m_filesDone, 0)) * double(elapsed) / double(filesThisRun);
    if (leftMs < 0)
        return -1;
    return qint64(std::ceil(leftMs / 1000.0));
}

QString RunProgress::line() const
{
    QStringList parts;
    parts << getLang(QStringLiteral("Soubory %1 z %2")).arg(m_filesDone).arg(m_filesTotal);
    if (m_bytesTotal >= 0) {
        parts << getLang(QStringLiteral("data %1 z %2"))
                     .arg(formatSize(double(m_bytesDone)), formatSize(double(m_bytesTotal)));
    }
    const double rate = bytesPerSecond();
    if (rate >= 0 && m_bytesTotal >= 0)
        parts << formatSize(rate) + QStringLiteral("/s");
    const qint64 left = secondsLeft();
    if (left >= 0)
        parts << getLang(QStringLiteral("zbývá %1")).arg(formatDuration(left));
    return parts.join(QStringLiteral(", "));
}

} // namespace ombrix
