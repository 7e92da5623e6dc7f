#pragma once

#include <QFlags>
#include <QStringList>

class QWidget;

namespace ombrix {
class Translator;
}

namespace ombrix::ui {

// Translates the captions of one window through a Translator: each caption is looked up in the
// translator's master list and replaced by the target line of the same index (even an empty one).
// Captions are the texts of labels, tab sheets, buttons (push, tool, radio, check) and group
// boxes; field contents, list items, hints, menus and window titles are left alone.
class WindowTranslator
{
  public:
    enum Kind
    {
        Labels = 0x01,
        Tabs = 0x02,
        PushButtons = 0x04, // push and tool buttons
        RadioButtons = 0x08,
        CheckBoxes = 0x10,
        GroupBoxes = 0x20,
        // The framed status lines StaticText1/2/3, shown with two leading blanks.
        StatusLines = 0x40,
    };
    Q_DECLARE_FLAGS(Kinds, Kind)

    // What each window has translated.
    static constexpr Kinds mainWindowKinds() { return Kinds(0x7f); }
    static constexpr Kinds dialogKinds() { return Kinds(Labels | PushButtons); }
    static constexpr Kinds maskDialogKinds() { return Kinds(Labels | PushButtons | CheckBoxes); }

    // True for a status line: a label named StaticText followed by a number.
    static bool isStatusLine(const QWidget* widget);

    // Translates the captions of window (itself and everything below it) of the given kinds.
    // A status line loses its first two characters, the rest is looked up, and a found line is
    // shown with two blanks in front; a caption not in the master list stays as it is.
    static void setLanguage(QWidget* window, const Translator& translator, Kinds kinds);

    // The captions of the given kinds, in the order of the widget tree (tab sheets in tab order),
    // without empty ones. Status lines are never included: their texts are not fixed captions.
    static QStringList captions(QWidget* window, Kinds kinds);
};

Q_DECLARE_OPERATORS_FOR_FLAGS(WindowTranslator::Kinds)

} // namespace ombrix::ui
