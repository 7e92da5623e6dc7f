#pragma once

#include <QString>
#include <QStringList>

class QWidget;

namespace ombrix::ui {
class MainWindow;
}

namespace ombrix::test {

// Where this program's screenshots go: <build>/screenshots, beside those of the other window
// tests (the file names here begin with "desktop-").
QString desktopScreenshotFolder();

// What of the visible part of root needs more room than it has: a caption of a button, check
// box, radio button or unwrapped label narrower than its text, a wrapped label lower than its
// lines, a field narrower than its smallest size, or a scroll area that would scroll sideways.
// One entry per fault, naming the widget and its text; empty when everything fits.
QStringList clippedWidgets(QWidget* root);

// Copies the shipped language files into folder/lang and returns that folder.
QString copyShippedLanguages(const QString& folder);

// Back to the Czech texts without translation, for the tests that follow.
void resetLanguage();

} // namespace ombrix::test
