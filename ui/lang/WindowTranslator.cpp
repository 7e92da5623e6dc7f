#include "ui/lang/WindowTranslator.h"

#include "core/lang/Translator.h"

#include <functional>
#include <QAbstractButton>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTabWidget>

namespace ombrix::ui {

namespace {

const QString statusBlanks = QStringLiteral("  ");

WindowTranslator::Kind buttonKind(const QAbstractButton* button)
{
    if (qobject_cast<const QRadioButton*>(button))
        return WindowTranslator::RadioButtons;
    if (qobject_cast<const QCheckBox*>(button))
        return WindowTranslator::CheckBoxes;
    return WindowTranslator::PushButtons;
}

// Visits window and every widget below it in tree order; each caption of the given kinds is
// handed to visit with a setter for its new text. Status lines are handed to status.
void forEachCaption(
    QWidget* window, WindowTranslator::Kinds kinds,
    const std::function<void(const QString&, const std::function<void(const QString&)>&)>& visit,
    const std::function<void(QLabel*)>& status)
{
    QList<QWidget*> widgets{window};
    widgets.append(window->findChildren<QWidget*>());
    for (QWidget* widget : std::as_const(widgets)) {
        if (auto* label = qobject_cast<QLabel*>(widget)) {
            if (WindowTranslator::isStatusLine(label)) {
                if (kinds & WindowTranslator::StatusLines)
                    status(label);
            } else if (kinds & WindowTranslator::Labels) {
                visit(label->text(), [label](const QString& text) { label->setText(text); });
            }
        } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
            if (kinds & buttonKind(button))
                visit(button->text(), [button](const QString& text) { button->setText(text); });
        } else if (auto* box = qobject_cast<QGroupBox*>(widget)) {
            if (kinds & WindowTranslator::GroupBoxes)
                visit(box->title(), [box](const QString& text) { box->setTitle(text); });
        } else if (auto* tabs = qobject_cast<QTabWidget*>(widget)) {
            if (kinds & WindowTranslator::Tabs) {
                for (int i = 0; i < tabs->count(); ++i)
                    visit(tabs->tabText(i), [tabs, i](const QString& text) { tabs->setTabText(i, text); });
            }
        }
    }
}

} // namespace

bool WindowTranslator::isStatusLine(const QWidget* widget)
{
    static const QRegularExpression name(QStringLiteral("^StaticText\\d+$"));
    return qobject_cast<const QLabel*>(widget) && name.match(widget->objectName()).hasMatch();
}

void WindowTranslator::setLanguage(QWidget* window, const Translator& translator, Kinds kinds)
{
    if (!window)
        return;
    forEachCaption(
        window, kinds,
        [&translator](const QString& caption, const std::function<void(const QString&)>& set) {
            QString translated;
            if (!caption.isEmpty() && translator.lookup(caption, &translated) && translated != caption)
                set(translated);
        },
        [&translator](QLabel* line) {
            QString translated;
            if (translator.lookup(line->text().mid(2), &translated))
                line->setText(statusBlanks + translated);
        });
}

QStringList WindowTranslator::captions(QWidget* window, Kinds kinds)
{
    QStringList found;
    if (!window)
        return found;
    forEachCaption(
        window, kinds & ~Kinds(StatusLines),
        [&found](const QString& caption, const std::function<void(const QString&)>&) {
            if (!caption.isEmpty())
                found.append(caption);
        },
        [](QLabel*) {});
    return found;
}

} // namespace ombrix::ui
