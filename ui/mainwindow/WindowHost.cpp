#include "ui/mainwindow/WindowHost.h"

#include "core/log/Status.h"
#include "ui/mainwindow/BackupPage.h"
#include "ui/mainwindow/MainWindow.h"
#include "ui/mainwindow/MergePage.h"
#include "ui/mainwindow/RestorePage.h"
#include "ui/mainwindow/RunTextLabel.h"
#include "ui/mainwindow/StatusLine.h"
#include "ui/mainwindow/TrafficLight.h"

#include <algorithm>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>

namespace ombrix::ui {

WindowHost::WindowHost(MainWindow* window, QObject* parent) : QObject(parent), m_window(window) {}

bool WindowHost::personPresent() const
{
    const QString platform = QGuiApplication::platformName();
    if (platform == QLatin1String("offscreen") || platform == QLatin1String("minimal"))
        return false;
    return !m_personPresent || m_personPresent();
}

StatusLine* WindowHost::statusLine(Page page) const
{
    switch (page) {
    case Page::Backup:
        return m_window->backupPage()->statusLine();
    case Page::Restore:
        return m_window->restorePage()->statusLine();
    case Page::Merge:
        return m_window->mergePage()->statusLine();
    }
    return nullptr;
}

QProgressBar* WindowHost::progressBar(Page page) const
{
    switch (page) {
    case Page::Backup:
        return m_window->backupPage()->progressBar();
    case Page::Restore:
        return m_window->restorePage()->progressBar();
    case Page::Merge:
        return m_window->mergePage()->progressBar();
    }
    return nullptr;
}

RunTextLabel* WindowHost::progressDetail(Page page) const
{
    switch (page) {
    case Page::Backup:
        return m_window->backupPage()->progressDetail();
    case Page::Restore:
        return m_window->restorePage()->progressDetail();
    case Page::Merge:
        return m_window->mergePage()->progressDetail();
    }
    return nullptr;
}

RunTextLabel* WindowHost::summaryLabel(Page page) const
{
    switch (page) {
    case Page::Backup:
        return m_window->backupPage()->summaryLabel();
    case Page::Restore:
        return m_window->restorePage()->summaryLabel();
    case Page::Merge:
        return m_window->mergePage()->summaryLabel();
    }
    return nullptr;
}

void WindowHost::showStatus(Page page, const QString& shownText)
{
    // The announced whole text belongs to this status only if the rule turns it into this text.
    QString& pending = m_pendingFullText[pageIndex(page)];
    const QString fullText =
        !pending.isEmpty() && statusText(page, pending) == shownText ? pending : QString();
    pending.clear();
    statusLine(page)->showStatus(shownText, fullText);
}

QString WindowHost::fullStatus(Page page) const
{
    return m_fullStatus[pageIndex(page)];
}

void WindowHost::setStatusHint(Page page, const QString& hint)
{
    statusLine(page)->setHint(hint);
}

void WindowHost::setStatusFullText(Page page, const QString& fullText)
{
    m_pendingFullText[pageIndex(page)] = fullText;
    m_fullStatus[pageIndex(page)] = fullText;
}

void WindowHost::setProgressDetail(Page page, const QString& text)
{
    progressDetail(page)->showText(text);
    if (m_progressEcho)
        m_progressEcho(page, text);
}

void WindowHost::showRunSummary(Page page, const RunSummary& summary)
{
    m_summaries[pageIndex(page)] = summary;
    summaryLabel(page)->showText(summary.line());
}

void WindowHost::clearRunSummary(Page page)
{
    m_summaries[pageIndex(page)].reset();
    summaryLabel(page)->showText(QString());
}

const RunSummary* WindowHost::lastSummary(Page page) const
{
    const std::optional<RunSummary>& summary = m_summaries[pageIndex(page)];
    return summary ? &*summary : nullptr;
}

void WindowHost::setTrafficLight(int stav)
{
    m_window->backupPage()->trafficLight()->setState(stav);
}

void WindowHost::setProgress(Page page, int maximum, int position)
{
    // A loop over one item reports maximum 0 and an empty one -1; a bar whose range is empty
    // would turn into a busy indicator, so the range never falls below 0..1.
    QProgressBar* bar = progressBar(page);
    const int top = std::max(1, maximum);
    bar->setRange(0, top);
    bar->setValue(std::clamp(position, 0, top));
}

void WindowHost::setTransferActivity(bool visible, const QString& percent)
{
    BackupPage* page = m_window->backupPage();
    page->transferLabel()->setVisible(visible);
    page->percentLabel()->setText(percent);
    page->percentLabel()->setVisible(!percent.isEmpty());
}

void WindowHost::pump()
{
    QCoreApplication::processEvents();
}

Answer WindowHost::ask(AskKind kind, const QString& text, Answer defaultAnswer)
{
    Q_EMIT messageAsked(text);
    if (!personPresent())
        return defaultAnswer;
    const QString title = QStringLiteral("Ombrix");
    auto toButton = [](Answer answer) {
        switch (answer) {
        case Answer::Yes:
            return QMessageBox::Yes;
        case Answer::No:
            return QMessageBox::No;
        case Answer::Cancel:
            return QMessageBox::Cancel;
        case Answer::Ok:
            break;
        }
        return QMessageBox::Ok;
    };
    QMessageBox box(m_window->isVisible() ? m_window : nullptr);
    box.setWindowTitle(title);
    box.setText(text);
    switch (kind) {
    case AskKind::Information:
        box.setIcon(QMessageBox::Information);
        box.setStandardButtons(QMessageBox::Ok);
        break;
    case AskKind::Warning:
        box.setIcon(QMessageBox::Warning);
        box.setStandardButtons(QMessageBox::Ok);
        break;
    case AskKind::Error:
        box.setIcon(QMessageBox::Critical);
        box.setStandardButtons(QMessageBox::Ok);
        break;
    case AskKind::YesNo:
        box.setIcon(QMessageBox::Question);
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        break;
    case AskKind::YesNoCancel:
        box.setIcon(QMessageBox::Question);
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        break;
    }
    if (box.standardButtons() & toButton(defaultAnswer))
        box.setDefaultButton(toButton(defaultAnswer));
    switch (box.exec()) {
    case QMessageBox::Yes:
        return Answer::Yes;
    case QMessageBox::No:
        return Answer::No;
    case QMessageBox::Cancel:
        return Answer::Cancel;
    case QMessageBox::Ok:
        return Answer::Ok;
    default:
        // Closed with the window's close button: the same as the box's escape answer.
        return kind == AskKind::YesNo ? Answer::No
                                      : (kind == AskKind::YesNoCancel ? Answer::Cancel : Answer::Ok);
    }
}

void WindowHost::showLog(const QString& path)
{
    Q_EMIT logRequested(path);
}

} // namespace ombrix::ui
