#include "ui/mainwindow/IntroPage.h"

#include "core/app/ProgramVersion.h"

#include <QLabel>
#include <QVBoxLayout>

namespace ombrix::ui {

IntroPage::IntroPage(QWidget* parent) : QWidget(parent)
{
    auto* title = new QLabel(QStringLiteral("Ombrix"), this);
    title->setObjectName(QStringLiteral("LabelTitle"));
    QFont big = title->font();
    big.setPointSize(big.pointSize() * 2);
    big.setBold(true);
    title->setFont(big);
    auto* version = new QLabel(app::windowCaption(), this);
    version->setObjectName(QStringLiteral("LabelVersion"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(title);
    layout->addWidget(version);
    layout->addStretch();
}

} // namespace ombrix::ui
