#include "support/ArchiverWrapper.h"

#include "support/TempProgramFolder.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QThread>

namespace ombrix::test {

namespace {

const QStringList settingNames{
    QStringLiteral("OMBRIX_7ZA"),           QStringLiteral("OMBRIX_WRAP_DIR"),
    QStringLiteral("OMBRIX_WRAP_OP"),       QStringLiteral("OMBRIX_WRAP_LAST"),
    QStringLiteral("OMBRIX_WRAP_PAUSE_AT"), QStringLiteral("OMBRIX_WRAP_FAIL_FROM")};

} // namespace

ArchiverWrapper::ArchiverWrapper()
{
    if (!m_dir.isValid())
        return;
    m_script = m_dir.filePath(QStringLiteral("archiver_wrapper.sh"));
    const QString original = sourceDir() + QStringLiteral("/tests/support/archiver_wrapper.sh");
    m_valid = QFile::copy(original, m_script) &&
              QFile::setPermissions(m_script,
                                    QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    clear();
}

ArchiverWrapper::~ArchiverWrapper()
{
    release();
    if (!m_applied)
        return;
    for (const QString& name : settingNames) {
        if (m_previous.contains(name))
            qputenv(name.toLocal8Bit().constData(), m_previous.value(name));
        else
            qunsetenv(name.toLocal8Bit().constData());
    }
}

QString ArchiverWrapper::file(const char* name) const
{
    return m_dir.filePath(QString::fromLatin1(name));
}

void ArchiverWrapper::reset()
{
    for (const QString& name : QDir(m_dir.path()).entryList(QDir::Files)) {
        if (name != QLatin1String("archiver_wrapper.sh"))
            QFile::remove(m_dir.filePath(name));
    }
}

void ArchiverWrapper::clear()
{
    reset();
    m_settings = {{QStringLiteral("OMBRIX_7ZA"), m_script},
                  {QStringLiteral("OMBRIX_WRAP_DIR"), m_dir.path()}};
    if (m_applied)
        applyToThisProcess();
}

void ArchiverWrapper::pauseAt(const Call& call, int n)
{
    pauseAt(call, QList<int>{n});
}

void ArchiverWrapper::pauseAt(const Call& call, const QList<int>& numbers)
{
    clear();
    QStringList listed;
    for (const int n : numbers)
        listed << QString::number(n);
    m_settings.insert(QStringLiteral("OMBRIX_WRAP_OP"), call.op);
    m_settings.insert(QStringLiteral("OMBRIX_WRAP_LAST"), call.lastPattern);
    m_settings.insert(QStringLiteral("OMBRIX_WRAP_PAUSE_AT"), listed.join(QLatin1Char(' ')));
    if (m_applied)
        applyToThisProcess();
}

bool ArchiverWrapper::hasPaused(int n) const
{
    const QString number = QString::number(n);
    return QFileInfo::exists(m_dir.filePath(QStringLiteral("paused-") + number)) &&
           !QFileInfo::exists(m_dir.filePath(QStringLiteral("release-") + number));
}

QString ArchiverWrapper::describe() const
{
    QStringList parts;
    for (const QString& name : QDir(m_dir.path()).entryList(QDir::Files, QDir::Name)) {
        if (name == QLatin1String("archiver_wrapper.sh") || name == QLatin1String("lock"))
            continue;
        QString part = name;
        if (name == QLatin1String("count")) {
            QFile count(m_dir.filePath(name));
            if (count.open(QIODevice::ReadOnly))
                part += QLatin1Char('=') + QString::fromUtf8(count.readAll()).trimmed();
        }
        parts << part;
    }
    return parts.isEmpty() ? QStringLiteral("(no call yet)") : parts.join(QLatin1Char(' '));
}

void ArchiverWrapper::release(int n)
{
    QFile release(m_dir.filePath(QStringLiteral("release-") + QString::number(n)));
    if (release.open(QIODevice::WriteOnly))
        release.close();
}

void ArchiverWrapper::failFrom(const Call& call, int n)
{
    clear();
    m_settings.insert(QStringLiteral("OMBRIX_WRAP_OP"), call.op);
    m_settings.insert(QStringLiteral("OMBRIX_WRAP_LAST"), call.lastPattern);
    m_settings.insert(QStringLiteral("OMBRIX_WRAP_FAIL_FROM"), QString::number(n));
    if (m_applied)
        applyToThisProcess();
}

QMap<QString, QString> ArchiverWrapper::environment() const
{
    QMap<QString, QString> environment;
    for (const QString& name : settingNames)
        environment.insert(name, m_settings.value(name));
    return environment;
}

void ArchiverWrapper::applyToThisProcess()
{
    if (!m_applied) {
        for (const QString& name : settingNames) {
            if (qEnvironmentVariableIsSet(name.toLocal8Bit().constData()))
                m_previous.insert(name, qgetenv(name.toLocal8Bit().constData()));
        }
        m_applied = true;
    }
    for (const QString& name : settingNames) {
        const QString value = m_settings.value(name);
        if (value.isEmpty())
            qunsetenv(name.toLocal8Bit().constData());
        else
            qputenv(name.toLocal8Bit().constData(), value.toLocal8Bit());
    }
}

bool ArchiverWrapper::waitForPause(int timeoutMs, const std::function<bool()>& stillRunning)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!QFileInfo::exists(file("paused"))) {
        if (deadline.hasExpired() || (stillRunning && !stillRunning()))
            return QFileInfo::exists(file("paused"));
        QThread::msleep(5);
    }
    return true;
}

qint64 ArchiverWrapper::pausedPid() const
{
    QFile paused(file("paused"));
    if (!paused.open(QIODevice::ReadOnly))
        return 0;
    return paused.readLine().trimmed().toLongLong();
}

QStringList ArchiverWrapper::pausedArguments() const
{
    QFile paused(file("paused"));
    if (!paused.open(QIODevice::ReadOnly))
        return {};
    QStringList lines = QString::fromLocal8Bit(paused.readAll()).split(QLatin1Char('\n'));
    if (!lines.isEmpty())
        lines.removeFirst(); // the pid
    while (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

QString ArchiverWrapper::pausedTarget() const
{
    const QStringList arguments = pausedArguments();
    return arguments.isEmpty() ? QString() : arguments.last();
}

void ArchiverWrapper::release()
{
    QFile release(file("release"));
    if (release.open(QIODevice::WriteOnly))
        release.close();
}

int ArchiverWrapper::count() const
{
    QFile counter(file("count"));
    if (!counter.open(QIODevice::ReadOnly))
        return 0;
    return counter.readAll().trimmed().toInt();
}

} // namespace ombrix::test
