#pragma once

#include <QMainWindow>

class QTabWidget;

namespace ombrix::ui {

class BackupPage;
class DestinationPage;
class IntroPage;
class MergePage;
class RestorePage;
class SettingsPage;
class SourcesPage;

// The main window: the seven pages in PageControl1 and nothing else. What runs in the window
// (run modes, the auto-start, the engines) is wired from outside.
class MainWindow : public QMainWindow
{
    Q_OBJECT

  public:
    // Page indexes, as the page lock and TAB_INDEX use them.
    enum PageIndex
    {
        IntroIndex = 0,
        SourcesIndex = 1,
        DestinationIndex = 2,
        BackupIndex = 3,
        RestoreIndex = 4,
        MergeIndex = 5,
        SettingsIndex = 6,
        PageCount = 7,
    };

    explicit MainWindow(QWidget* parent = nullptr);

    QTabWidget* pages() const { return m_pages; } // PageControl1
    IntroPage* introPage() const { return m_intro; }
    SourcesPage* sourcesPage() const { return m_sources; }
    DestinationPage* destinationPage() const { return m_destination; }
    BackupPage* backupPage() const { return m_backup; }
    RestorePage* restorePage() const { return m_restore; }
    MergePage* mergePage() const { return m_merge; }
    SettingsPage* settingsPage() const { return m_settings; }

    // Enables or disables every page except keepIndex, which is left as it is.
    void setPagesEnabled(bool enabled, int keepIndex);
    void showPage(int index);

    // In a scheduled run closing the window only hides it; the run goes on in the background.
    void setCloseHides(bool hides) { m_closeHides = hides; }
    bool closeHides() const { return m_closeHides; }

  Q_SIGNALS:
    // The window has become visible (every time, not only the first).
    void shown();

  protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

  private:
    QTabWidget* m_pages;
    IntroPage* m_intro;
    SourcesPage* m_sources;
    DestinationPage* m_destination;
    BackupPage* m_backup;
    RestorePage* m_restore;
    MergePage* m_merge;
    SettingsPage* m_settings;
    bool m_closeHides = false;
};

} // namespace ombrix::ui
