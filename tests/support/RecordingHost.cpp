#include "RecordingHost.h"

namespace ombrix::test {

void RecordingHost::showStatus(Page page, const QString& shownText)
{
    m_statusLines.push_back({page, shownText});
}

void RecordingHost::setStatusHint(Page page, const QString& hint)
{
    m_hints.push_back({page, hint});
}

void RecordingHost::setStatusFullText(Page page, const QString& fullText)
{
    m_fullTexts.push_back({page, fullText});
}

void RecordingHost::setProgressDetail(Page page, const QString& text)
{
    m_progressDetails.push_back({page, text});
}

void RecordingHost::showRunSummary(Page page, const RunSummary& summary)
{
    m_summaries[int(page)] = summary;
    ++m_summaryCount;
}

void RecordingHost::clearRunSummary(Page page)
{
    m_summaries[int(page)].reset();
}

void RecordingHost::setTrafficLight(int stav)
{
    m_trafficLights.push_back(stav);
}

void RecordingHost::setProgress(Page page, int maximum, int position)
{
    m_progress.push_back({page, maximum, position});
}

void RecordingHost::setTransferActivity(bool visible, const QString& percent)
{
    m_transfers.push_back({visible, percent});
}

void RecordingHost::pump()
{
    ++m_pumpCount;
    if (m_pumpHook)
        m_pumpHook();
}

Answer RecordingHost::ask(AskKind kind, const QString& text, Answer defaultAnswer)
{
    Answer given = defaultAnswer;
    if (!m_answers.empty()) {
        given = m_answers.front();
        m_answers.pop_front();
    }
    m_questions.push_back({kind, text, defaultAnswer, given});
    return given;
}

void RecordingHost::showLog(const QString& path)
{
    m_shownLogs.append(path);
}

QStringList RecordingHost::statusTexts(Page page) const
{
    QStringList texts;
    for (const StatusLine& line : m_statusLines) {
        if (line.page == page)
            texts.append(line.text);
    }
    return texts;
}

QString RecordingHost::currentStatus(Page page) const
{
    const QStringList texts = statusTexts(page);
    return texts.isEmpty() ? QString() : texts.last();
}

QString RecordingHost::currentHint(Page page) const
{
    const QStringList all = hints(page);
    return all.isEmpty() ? QString() : all.last();
}

QStringList RecordingHost::hints(Page page) const
{
    QStringList texts;
    for (const StatusLine& hint : m_hints) {
        if (hint.page == page)
            texts.append(hint.text);
    }
    return texts;
}

namespace {

QStringList textsOf(const std::vector<RecordingHost::StatusLine>& lines, Page page)
{
    QStringList texts;
    for (const RecordingHost::StatusLine& line : lines) {
        if (line.page == page)
            texts.append(line.text);
    }
    return texts;
}

} // namespace

QStringList RecordingHost::fullTexts(Page page) const
{
    return textsOf(m_fullTexts, page);
}

QStringList RecordingHost::progressDetails(Page page) const
{
    return textsOf(m_progressDetails, page);
}

int RecordingHost::currentTrafficLight() const
{
    return m_trafficLights.empty() ? -1 : m_trafficLights.back();
}

} // namespace ombrix::test
