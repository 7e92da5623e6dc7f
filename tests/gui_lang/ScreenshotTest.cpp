#include "core/lang/Translator.h"
#include "support/Screenshots.h"
#include "support/TempProgramFolder.h"
#include "ui/lang/LanguageSwitcher.h"
#include "ui/mainwindow/MainWindow.h"

#include <gtest/gtest.h>
#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QTabWidget>

using namespace ombrix;
using namespace ombrix::ui;
using ombrix::test::TempProgramFolder;

namespace {

// Captions on the visible page whose text needs more room than the control has.
QStringList clippedCaptions(QWidget* page)
{
    QStringList clipped;
    const QList<QWidget*> widgets = page->findChildren<QWidget*>();
    for (QWidget* w : widgets) {
        if (!w->isVisible() || w->objectName().startsWith(QLatin1String("StaticText")))
            continue;
        QString text;
        if (auto* label = qobject_cast<QLabel*>(w); label && !label->wordWrap())
            text = label->text();
        else if (auto* button = qobject_cast<QAbstractButton*>(w))
            text = button->text();
        if (text.isEmpty())
            continue;
        if (w->sizeHint().width() > w->width() + 1)
            clipped << w->objectName() + QStringLiteral(" \"") + text + QStringLiteral("\"");
    }
    return clipped;
}

} // namespace

TEST(Screenshots, EveryPageInCzechAndEnglishFitsAt1024x768WithNoCaptionClipped)
{
    TempProgramFolder folder;
    const QString lang = folder.file(QStringLiteral("lang"));
    QDir().mkpath(lang);
    const QDir shipped(QDir(test::sourceDir()).filePath(QStringLiteral("lang")));
    for (const QString& name : shipped.entryList(QDir::Files))
        QFile::copy(shipped.filePath(name), QDir(lang).filePath(name));
    folder.write(QStringLiteral("config.ini"), QByteArray("[OPTIONS]\r\nLANGUAGE=CZ\r\n"));

    MainWindow window;
    LanguageSwitcher* switcher = LanguageSwitcher::attach(&window);
    switcher->setConfigPath(folder.file(QStringLiteral("config.ini")));
    switcher->setLanguageFolder(lang);
    switcher->loadLanguages();
    window.resize(1024, 768);
    window.show();

    for (const char* code : {"CZ", "EN"}) {
        ASSERT_TRUE(switcher->changeLanguage(QLatin1String(code)));
        for (int i = 0; i < window.pages()->count(); ++i) {
            window.showPage(i);
            QApplication::processEvents();
            const QString file = test::screenshotPath(QStringLiteral("%1-%2-%3.png")
                                                          .arg(QString::fromLatin1(code).toLower())
                                                          .arg(i)
                                                          .arg(window.pages()->widget(i)->objectName()));
            const QPixmap shot = window.grab();
            EXPECT_EQ(shot.size(), QSize(1024, 768)) << "the window does not fit 1024x768 in " << code;
            EXPECT_TRUE(shot.save(file)) << qPrintable(file);
            // Every caption is shown whole in every language.
            const QStringList clipped = clippedCaptions(window.pages()->widget(i));
            EXPECT_TRUE(clipped.isEmpty())
                << "clipped in " << code << " on page " << i << " (see " << qPrintable(file)
                << "): " << qPrintable(clipped.join(QStringLiteral(", ")));
        }
    }
    switcher->changeLanguage(QStringLiteral("CZ"));
    Translator::global().setLangMaster({});
    Translator::global().setLangTarget({});
}
