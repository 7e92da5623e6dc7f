#include "ui/setlists/SetEntryDelegate.h"

#include <QApplication>
#include <QListWidget>
#include <QPainter>
#include <QStyle>

namespace ombrix::ui {

SetEntryDelegate::SetEntryDelegate(const QHash<QString, quint32>& cache, QObject* parent)
    : QStyledItemDelegate(parent), m_cache(cache)
{
}

QColor SetEntryDelegate::fromBgr(quint32 bgr)
{
    return QColor(int(bgr & 0xFF), int((bgr >> 8) & 0xFF), int((bgr >> 16) & 0xFF));
}

bool SetEntryDelegate::entryColor(const QString& entryText, QColor* color) const
{
    const auto it = m_cache.constFind(QStringLiteral("OMX_") + entryText);
    if (it == m_cache.constEnd())
        return false;
    if (color)
        *color = fromBgr(it.value());
    return true;
}

void SetEntryDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                             const QModelIndex& index) const
{
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    const QString text = opt.text;

    // The row's background (selection, hover) as the list would draw it, without its text.
    opt.text.clear();
    const QWidget* widget = opt.widget;
    QStyle* style = widget ? widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);

    QColor color;
    if (!entryColor(text, &color)) {
        const bool selected = opt.state & QStyle::State_Selected;
        color = opt.palette.color(opt.state & QStyle::State_Enabled ? QPalette::Normal : QPalette::Disabled,
                                  selected ? QPalette::HighlightedText : QPalette::Text);
    }

    painter->save();
    painter->setClipRect(opt.rect);
    painter->setFont(opt.font);
    painter->setPen(color);
    const QRect textRect = opt.rect.adjusted(2, 0, 0, 0);
    painter->drawText(textRect, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text);
    painter->restore();
}

QSize SetEntryDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    const QFontMetrics metrics(opt.font);
    return QSize(metrics.horizontalAdvance(opt.text) + 4, metrics.height() + 2);
}

void SetEntryDelegate::setColored(QListWidget* list, const QHash<QString, quint32>& cache, bool colored)
{
    if (!list)
        return;
    QAbstractItemDelegate* current = list->itemDelegate();
    const bool isOurs = qobject_cast<SetEntryDelegate*>(current) != nullptr;
    if (colored && !isOurs) {
        list->setUniformItemSizes(false);
        list->setItemDelegate(new SetEntryDelegate(cache, list));
        if (current && current->parent() == list)
            current->deleteLater();
    } else if (!colored && isOurs) {
        list->setItemDelegate(new QStyledItemDelegate(list));
        current->deleteLater();
    }
    list->doItemsLayout();
    list->viewport()->update();
}

bool SetEntryDelegate::isColored(const QListWidget* list)
{
    return list && qobject_cast<SetEntryDelegate*>(list->itemDelegate()) != nullptr;
}

} // namespace ombrix::ui
