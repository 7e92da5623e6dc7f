#pragma once

#include <QDialog>
#include <QString>

namespace ombrix::ui {

// The selective restore window "Select folders or files" (TFormTree): shows the restore work
// list recoverylist.csv as a tree of folders and files with check boxes, all ticked, and on
// "POUŽÍT" rewrites the list to hold only the ticked files.
class TreeWindow : public QDialog
{
    Q_OBJECT

  public:
    // recoveryListPath: the work list the window shows and rewrites.
    explicit TreeWindow(const QString& recoveryListPath, QWidget* parent = nullptr);
    ~TreeWindow() override;

    // A new set was chosen: the tree is built again at the next activation ("STOP" caption,
    // "POUŽÍT" disabled, no border icons).
    void markForRebuild();

  Q_SIGNALS:
    // "POUŽÍT" wrote the reduced list: the restore page shows
    // "  Obnova POUZE VYBRANÝCH POLOŽEK začne od začátku" and blocks the exact state.
    void selectionApplied();

  private:
    QString m_recoveryListPath;
};

} // namespace ombrix::ui
