#pragma once

#include "core/host/Host.h"

#include <deque>
#include <functional>
#include <optional>
#include <QString>
#include <QStringList>
#include <vector>

namespace ombrix::test {

// A Host that shows nothing and remembers everything an engine reported through it, so a test
// can assert on the status lines, the traffic light, progress and message boxes. ask() takes its
// answers from a queue the test prepares; pump() runs an optional hook, which is how a test
// presses STOP (or does anything else a person might do) at a chosen moment.
class RecordingHost : public Host
{
  public:
    struct StatusLine
    {
        Page page;
        QString text;
    };
    struct Progress
    {
        Page page;
        int maximum;
        int position;
    };
    struct Transfer
    {
        bool visible;
        QString percent;
    };
    struct Question
    {
        AskKind kind;
        QString text;
        Answer defaultAnswer;
        Answer given;
    };

    void showStatus(Page page, const QString& shownText) override;
    void setStatusHint(Page page, const QString& hint) override;
    void setStatusFullText(Page page, const QString& fullText) override;
    void setProgressDetail(Page page, const QString& text) override;
    void showRunSummary(Page page, const RunSummary& summary) override;
    void clearRunSummary(Page page) override;
    void setTrafficLight(int stav) override;
    void setProgress(Page page, int maximum, int position) override;
    void setTransferActivity(bool visible, const QString& percent = {}) override;
    void pump() override;
    Answer ask(AskKind kind, const QString& text, Answer defaultAnswer = Answer::Ok) override;
    void showLog(const QString& path) override;

    // The answer for the next ask(); answers are used in the order they were queued.
    void queueAnswer(Answer answer) { m_answers.push_back(answer); }
    // Runs on every pump() after the count was increased; pumpCount() tells which pump it is.
    void setPumpHook(std::function<void()> hook) { m_pumpHook = std::move(hook); }

    const std::vector<StatusLine>& statusLines() const { return m_statusLines; }
    // Every text shown on one page, in order.
    QStringList statusTexts(Page page) const;
    // The text the page shows now (empty when nothing was shown).
    QString currentStatus(Page page) const;
    // The hint of the page's status line now, and every hint set on it in order.
    QString currentHint(Page page) const;
    QStringList hints(Page page) const;
    // Every whole status text announced for one page, in order.
    QStringList fullTexts(Page page) const;
    // Every progress detail shown on one page, in order (an empty one cleared the line).
    QStringList progressDetails(Page page) const;
    // The summary a page shows now (none when cleared or never shown), and how many were shown.
    const std::optional<RunSummary>& currentSummary(Page page) const { return m_summaries[int(page)]; }
    int summaryCount() const { return m_summaryCount; }
    const std::vector<int>& trafficLights() const { return m_trafficLights; }
    // The traffic light now; -1 when it was never set.
    int currentTrafficLight() const;
    const std::vector<Progress>& progress() const { return m_progress; }
    const std::vector<Transfer>& transfers() const { return m_transfers; }
    const std::vector<Question>& questions() const { return m_questions; }
    const QStringList& shownLogs() const { return m_shownLogs; }
    int pumpCount() const { return m_pumpCount; }

  private:
    std::vector<StatusLine> m_statusLines;
    std::vector<StatusLine> m_hints;
    std::vector<StatusLine> m_fullTexts;
    std::vector<StatusLine> m_progressDetails;
    std::optional<RunSummary> m_summaries[3];
    int m_summaryCount = 0;
    std::vector<int> m_trafficLights;
    std::vector<Progress> m_progress;
    std::vector<Transfer> m_transfers;
    std::vector<Question> m_questions;
    QStringList m_shownLogs;
    std::deque<Answer> m_answers;
    std::function<void()> m_pumpHook;
    int m_pumpCount = 0;
};

} // namespace ombrix::test
