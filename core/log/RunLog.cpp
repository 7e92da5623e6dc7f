#include "core/log/RunLog.h"

#include "core/log/LogLines.h"
#include "core/text/TextFile.h"

#include <QFile>
#include <QFileInfo>

namespace ombrix {

RunLog::RunLog(const QString& path) : m_path(path) {}

bool RunLog::load()
{
    m_lines.clear();
    const TextFile::ReadResult read = TextFile::readLines(m_path);
    if (!read.ok)
        return false;
    m_lines = read.lines;
    return true;
}

QString RunLog::asOneLine(const QString& text)
{
    if (!text.contains(QLatin1Char('\r')) && !text.contains(QLatin1Char('\n')) && !text.contains(QChar(0)))
        return text;
    QString line;
    line.reserve(text.size() + 8);
    for (const QChar c : text) {
        if (c == QLatin1Char('\r'))
            line += QLatin1String("\\r");
        else if (c == QLatin1Char('\n'))
            line += QLatin1String("\\n");
        else if (c == QChar(0))
            line += QLatin1String("\\0");
        else
            line += c;
    }
    return line;
}

bool RunLog::dologu(const QString& text)
{
    m_lines.append(asOneLine(text));
    if (savesEveryLine())
        return save();
    return true;
}

bool RunLog::save() const
{
    return TextFile::writeAtomically(m_path, TextFile::encodeUtf8Bom(m_lines));
}

bool RunLog::removeFile() const
{
    if (!QFileInfo::exists(m_path) && !QFileInfo(m_path).isSymLink())
        return true;
    return QFile::remove(m_path);
}

bool RunLog::startRun(const QString& archiveName)
{
    bool ok = removeFile();
    m_lines.clear();
    const QStringList lines = header(archiveName);
    for (const QString& line : lines)
        ok = dologu(line) && ok;
    return ok;
}

QStringList RunLog::header(const QString& archiveName)
{
    return {logline::archivPrefix + archiveName, QString(logline::ruleLength, QLatin1Char('-'))};
}

} // namespace ombrix
