#pragma once

#include <QLabel>

namespace ombrix::ui {

// The two lines a working page shows about its run besides the status line: the progress detail
// (one line, never widening the window, kept in place while empty so the page does not jump) and
// the summary at the end of a run (wrapped, hidden while empty). Plain text; the texts arrive
// translated.
class RunTextLabel : public QLabel
{
    Q_OBJECT

  public:
    enum class Role
    {
        ProgressDetail,
        Summary,
    };

    RunTextLabel(Role role, const QString& objectName, QWidget* parent = nullptr);

    Role role() const { return m_role; }
    // Shows the text; the summary hides itself while it has none.
    void showText(const QString& text);

  private:
    Role m_role;
};

} // namespace ombrix::ui
