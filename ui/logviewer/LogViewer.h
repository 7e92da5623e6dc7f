#pragma once

#include <QDialog>
#include <QString>

class QPlainTextEdit;

namespace ombrix::ui {

// The log window TlogForm ("LOG.TXT"): a run log or a test report as read-only text. It never
// loads anything by itself; a caller puts the text in and shows it modally. One window lives as
// long as the program, so its text stays between showings until a caller replaces it.
class LogViewer : public QDialog
{
    Q_OBJECT

  public:
    // The initial client area.
    static constexpr int initialWidth = 726;
    static constexpr int initialHeight = 391;

    explicit LogViewer(QWidget* parent = nullptr);

    // Replaces the text.
    void setLogText(const QString& text);
    // Takes the file's text now (BOM-aware, any line ends); false, and the text emptied, when the
    // file cannot be read.
    bool loadFile(const QString& path);
    QString logText() const;

    // Centred on the screen at every showing, then modal until closed.
    void showModal();

    QPlainTextEdit* memo() const { return m_memo; } // Memo1

  protected:
    void resizeEvent(QResizeEvent* event) override;

  private:
    void centreOnScreen();

    QPlainTextEdit* m_memo;
};

} // namespace ombrix::ui
