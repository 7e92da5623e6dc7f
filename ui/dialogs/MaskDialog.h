#pragma once

#include <functional>
#include <QDialog>

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace ombrix::ui {

// The dialog "Additional settings" (maskForm): edits the options of one source entry. Four mask
// lists (only these files, skip these files, skip these folders, store these uncompressed), each
// with an input field and "Přidat", and the check box "Zahrnout podadresáře". "Použít" builds the
// entry's new line (stored path part, then the options in a fixed order) and hands it to the
// apply handler, which stores it; closing the dialog otherwise changes nothing.
//
// A mask that cannot be matched (the matcher's error text) or that would break the line apart is
// refused with its error shown in the dialog: "Přidat" does not add it, and "Použít" stores
// nothing while one of the lists holds such a mask.
class MaskDialog : public QDialog
{
    Q_OBJECT

  public:
    // The four mask lists, in the order their options are written.
    enum ListKind
    {
        Include = 0,
        Exclude = 1,
        ExcludedDirs = 2,
        NoCompress = 3,
        ListCount = 4,
    };

    // Stores the new line; returns false with a reason when it could not be stored.
    using ApplyHandler = std::function<bool(const QString& line, QString* error)>;

    explicit MaskDialog(QWidget* parent = nullptr);

    // Fills the dialog from one line of sources.txt (nothing is kept from an earlier opening) and
    // shows it modally without blocking; "Použít" passes the new line to the handler.
    void openFor(const QString& line, ApplyHandler onApply);
    // Fills the dialog from a line without showing it.
    void load(const QString& line);

    // The line "Použít" would write now.
    QString composedLine() const;
    // The error of the first mask in the lists that cannot be used, empty when all can.
    QString firstMaskError() const;
    // Why a single mask cannot be used, empty when it can.
    static QString maskError(const QString& mask);

    QListWidget* list(ListKind kind) const { return m_lists[kind]; }
    QLineEdit* edit(ListKind kind) const { return m_edits[kind]; }
    QPushButton* addButton(ListKind kind) const { return m_addButtons[kind]; }
    QCheckBox* subdirsBox() const { return m_subdirs; }
    QPushButton* applyButton() const { return m_apply; }
    QLabel* errorLabel() const { return m_error; }

    // "Přidat" under a list.
    void addMask(ListKind kind);
    // "Použít"; true when the line was stored and the dialog closed.
    bool apply();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void showError(const QString& text);
    void removeSelected(QListWidget* list);

    QString m_storedPath;
    ApplyHandler m_onApply;
    QListWidget* m_lists[ListCount];
    QLineEdit* m_edits[ListCount];
    QPushButton* m_addButtons[ListCount];
    QCheckBox* m_subdirs;
    QPushButton* m_apply;
    QLabel* m_error;
};

} // namespace ombrix::ui
