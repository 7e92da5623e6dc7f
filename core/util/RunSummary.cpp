#include "core/util/RunSummary.h"

#include "core/lang/Translator.h"
#include "core/util/Clock.h"
#include "core/util/FormatDuration.h"
#include "core/util/FormatSize.h"

#include <algorithm>
#include <utility>

namespace ombrix {

namespace {

qint64 nowMs()
{
    return Clock::currentDateTimeUtc().toMSecsSinceEpoch();
}

// The page line's main part for each kind: set, count, bytes, duration.
QString doneText(RunSummary::Kind kind)
{
    switch (kind) {
    case RunSummary::Kind::Backup:
        return getLang(QStringLiteral("Sada %1: archivováno souborů %2 (%3), trvání %4"));
    case RunSummary::Kind::Restore:
        return getLang(QStringLiteral("Sada %1: obnoveno souborů %2 (%3), trvání %4"));
    case RunSummary::Kind::Merge:
        return getLang(QStringLiteral("Sada %1: přesunuto souborů %2 (%3), trvání %4"));
    }
    return QString();
}

// The files the run could not deal with, pointing to the log that names them.
QString notDoneText(RunSummary::Kind kind)
{
    switch (kind) {
    case RunSummary::Kind::Backup:
        return getLang(QStringLiteral("nearchivováno souborů %1 (viz log.txt)"));
    case RunSummary::Kind::Restore:
        return getLang(QStringLiteral("neobnoveno souborů %1 (viz log.txt)"));
    case RunSummary::Kind::Merge:
        return getLang(QStringLiteral("nepřesunuto souborů %1 (viz log.txt)"));
    }
    return QString();
}

QLatin1String logVerb(RunSummary::Kind kind)
{
    switch (kind) {
    case RunSummary::Kind::Backup:
        return QLatin1String("archived");
    case RunSummary::Kind::Restore:
        return QLatin1String("restored");
    case RunSummary::Kind::Merge:
        return QLatin1String("moved");
    }
    return QLatin1String("done");
}

} // namespace

RunSummary::RunSummary(Kind kind, QString setName)
    : m_kind(kind), m_setName(std::move(setName)), m_startMs(nowMs())
{
}

void RunSummary::fileDone(qint64 bytes)
{
    ++m_filesDone;
    m_bytesDone += std::max<qint64>(bytes, 0);
}

void RunSummary::fileNotDone()
{
    ++m_filesNotDone;
}

void RunSummary::setCounts(qint64 filesDone, qint64 bytesDone, qint64 filesNotDone)
{
    m_filesDone = std::max<qint64>(filesDone, 0);
    m_bytesDone = std::max<qint64>(bytesDone, 0);
    m_filesNotDone = std::max<qint64>(filesNotDone, 0);
}

void RunSummary::finish(bool completed, const QString& reason)
{
    m_finished = true;
    m_completed = completed;
    m_reason = completed ? QString() : reason;
    m_endMs = nowMs();
}

qint64 RunSummary::durationSeconds() const
{
    const qint64 end = m_finished ? m_endMs : nowMs();
    return std::max<qint64>(end - m_startMs, 0) / 1000;
}

RunSummary::Verdict RunSummary::verdict() const
{
    if (!m_completed)
        return Verdict::Interrupted;
    return m_filesNotDone > 0 || m_warned ? Verdict::Warning : Verdict::Success;
}

QString RunSummary::line() const
{
    QString text = doneText(m_kind).arg(m_setName, QString::number(m_filesDone),
                                        formatSize(double(m_bytesDone)), formatDuration(durationSeconds()));
    if (m_filesNotDone > 0)
        text += QStringLiteral(", ") + notDoneText(m_kind).arg(m_filesNotDone);
    if (!m_completed)
        text = getLang(QStringLiteral("Přerušeno")) + QStringLiteral(" – ") + text;
    return text;
}

QString RunSummary::logLine() const
{
    QString text = QStringLiteral("Summary: ");
    if (!m_completed)
        text += QStringLiteral("interrupted, ");
    text += QStringLiteral("set %1: files %3 %2 (%4), duration %5")
                .arg(m_setName, QString::number(m_filesDone), logVerb(m_kind),
                     formatSize(double(m_bytesDone)), formatDuration(durationSeconds()));
    if (m_filesNotDone > 0)
        text += QStringLiteral(", files not %1 %2").arg(logVerb(m_kind), QString::number(m_filesNotDone));
    return text;
}

} // namespace ombrix
