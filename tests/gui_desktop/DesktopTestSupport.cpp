#include "DesktopTestSupport.h"

#include "core/lang/Translator.h"
#include "support/TempProgramFolder.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QScrollArea>
#include <QScrollBar>

namespace ombrix::test {

QString desktopScreenshotFolder()
{
    const QString path = QDir::cleanPath(QDir(binDir()).filePath(QStringLiteral("../screenshots")));
    QDir().mkpath(path);
    return path;
}

QStringList clippedWidgets(QWidget* root)
{
    QStringList clipped;
    const auto describe = [](QWidget* w, const QString& text) {
        return w->objectName() + QStringLiteral(" \"") + text + QStringLiteral("\"");
    };
    for (QScrollArea* scroll : root->findChildren<QScrollArea*>()) {
        if (scroll->isVisible() && scroll->widget() &&
            (scroll->horizontalScrollBar()->isVisible() ||
             scroll->widget()->minimumSizeHint().width() > scroll->viewport()->width()))
            clipped << describe(scroll, QStringLiteral("scrolls sideways"));
    }
    for (QWidget* w : root->findChildren<QWidget*>()) {
        if (!w->isVisible())
            continue;
        // The status lines show long texts shortened by design, whole in their tooltips.
        if (w->objectName().startsWith(QLatin1String("StaticText")))
            continue;
        if (auto* label = qobject_cast<QLabel*>(w)) {
            if (label->text().isEmpty() || !label->pixmap().isNull())
                continue;
            if (label->wordWrap()) {
                if (label->heightForWidth(label->width()) > label->height() + 1)
                    clipped << describe(label, label->text());
            } else if (label->sizeHint().width() > label->width() + 1) {
                clipped << describe(label, label->text());
            }
        } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
            if (!button->text().isEmpty() && button->sizeHint().width() > button->width() + 1)
                clipped << describe(button, button->text());
        } else if (qobject_cast<QComboBox*>(w) || qobject_cast<QAbstractSpinBox*>(w)) {
            if (w->minimumSizeHint().width() > w->width() + 1)
                clipped << describe(w, QStringLiteral("field"));
        }
    }
    return clipped;
}

QString copyShippedLanguages(const QString& folder)
{
    const QString lang = QDir(folder).filePath(QStringLiteral("lang"));
    QDir().mkpath(lang);
    const QDir shipped(QDir(sourceDir()).filePath(QStringLiteral("lang")));
    for (const QString& name : shipped.entryList(QDir::Files)) {
        QFile::remove(QDir(lang).filePath(name));
        QFile::copy(shipped.filePath(name), QDir(lang).filePath(name));
    }
    return lang;
}

void resetLanguage()
{
    Translator::global().setCurrentLanguage(Translator::masterCode);
    Translator::global().setLangMaster({});
    Translator::global().setLangTarget({});
}

} // namespace ombrix::test
