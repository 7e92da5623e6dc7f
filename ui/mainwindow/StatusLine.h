#pragma once

#include <QLabel>

namespace ombrix::ui {

// A page's one-line status field: framed, bold, showing its text exactly as given (the two
// leading blanks included) and never widening the window for a long text. Its tooltip is the
// hint the run sets (the file being archived); without one, a text the shortening rule cut
// shows whole in the tooltip.
class StatusLine : public QLabel
{
    Q_OBJECT

  public:
    explicit StatusLine(const QString& objectName, QWidget* parent = nullptr);

    // Shows shownText (shortened, with its blanks); fullText is the text before shortening, or
    // empty when not known.
    void showStatus(const QString& shownText, const QString& fullText);
    // The hint; empty gives the tooltip back to the whole text of a shortened line.
    void setHint(const QString& hint);
    const QString& hint() const { return m_hint; }
    // The status as a whole: the text before shortening while the line still shows what it was
    // given with it, otherwise the shown text without its leading blanks.
    QString fullText() const;

  private:
    void updateToolTip();

    QString m_hint;
    QString m_fullText;
    // The shown text m_fullText belongs to; a caption translation that replaces the text makes
    // the whole text stale.
    QString m_shownWithFull;
};

} // namespace ombrix::ui
