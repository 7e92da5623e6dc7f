#pragma once

#include <QColor>
#include <QHash>
#include <QStyledItemDelegate>

class QListWidget;

namespace ombrix::ui {

// drawSetEntry: draws one row of a set list (restore page ListBox2, merge page ListBox4) when
// coloured listing is on. The row's text is a set name without its "OMX_" prefix; the colour is
// looked up in the shared colour cache under "OMX_" + the whole row text, so an entry carrying any
// suffix simply keeps the list's normal text colour. The text is drawn 2 pixels right of the row's
// left edge, at the row's top, clipped to the row.
//
// The cache is read at every paint, so it must outlive the delegate (it lives in ArchiveState).
class SetEntryDelegate : public QStyledItemDelegate
{
    Q_OBJECT

  public:
    SetEntryDelegate(const QHash<QString, quint32>& cache, QObject* parent = nullptr);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

    // The cached colour of a row text, when the cache holds "OMX_" + text.
    bool entryColor(const QString& entryText, QColor* color) const;

    // A colour as the archive checks give it (0xBBGGRR) in Qt's form.
    static QColor fromBgr(quint32 bgr);

    // Switches a set list between owner drawing with colours (on) and the standard drawing (off).
    // Switching on twice keeps the one delegate; the list is repainted either way.
    static void setColored(QListWidget* list, const QHash<QString, quint32>& cache, bool colored);
    // True while the list is drawn by a SetEntryDelegate.
    static bool isColored(const QListWidget* list);

  private:
    const QHash<QString, quint32>& m_cache;
};

} // namespace ombrix::ui
