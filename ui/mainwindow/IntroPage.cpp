#include "ui/mainwindow/IntroPage.h"

#include "core/app/ProgramVersion.h"
#include "ui/settings/LinkLabel.h"
#include "ui/settings/WebLinks.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QPolygon>
#include <QToolButton>
#include <QVBoxLayout>

namespace ombrix::ui {

namespace {

constexpr int flagWidth = 30;
constexpr int flagHeight = 20;

// The Czech flag: white over red, a blue wedge from the hoist.
QPixmap czechFlagImage()
{
    QPixmap image(flagWidth, flagHeight);
    QPainter painter(&image);
    painter.fillRect(0, 0, flagWidth, flagHeight / 2, Qt::white);
    painter.fillRect(0, flagHeight / 2, flagWidth, flagHeight / 2, QColor(215, 20, 26));
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(17, 69, 126));
    painter.drawPolygon(
        QPolygon({QPoint(0, 0), QPoint(flagWidth / 2, flagHeight / 2), QPoint(0, flagHeight)}));
    return image;
}

// A simplified Union flag: blue field, white and red diagonals and cross.
QPixmap englishFlagImage()
{
    QPixmap image(flagWidth, flagHeight);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillRect(image.rect(), QColor(1, 33, 105));
    painter.setPen(QPen(Qt::white, 4));
    painter.drawLine(0, 0, flagWidth, flagHeight);
    painter.drawLine(0, flagHeight, flagWidth, 0);
    painter.setPen(QPen(QColor(200, 16, 46), 1.5));
    painter.drawLine(0, 0, flagWidth, flagHeight);
    painter.drawLine(0, flagHeight, flagWidth, 0);
    painter.fillRect(flagWidth / 2 - 3, 0, 6, flagHeight, Qt::white);
    painter.fillRect(0, flagHeight / 2 - 3, flagWidth, 6, Qt::white);
    painter.fillRect(flagWidth / 2 - 2, 0, 4, flagHeight, QColor(200, 16, 46));
    painter.fillRect(0, flagHeight / 2 - 2, flagWidth, 4, QColor(200, 16, 46));
    return image;
}

QToolButton* makeFlag(QWidget* parent, const char* name, const QPixmap& image, const char* hint)
{
    auto* flag = new QToolButton(parent);
    flag->setObjectName(QLatin1String(name));
    flag->setIcon(QIcon(image));
    flag->setIconSize(image.size());
    flag->setAutoRaise(true);
    flag->setToolTip(QString::fromUtf8(hint));
    flag->setCursor(Qt::PointingHandCursor);
    return flag;
}

} // namespace

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

    m_language = new QComboBox(this);
    m_language->setObjectName(QStringLiteral("ComboBox3"));
    m_language->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    m_language->setMinimumContentsLength(4);
    m_flagCz = makeFlag(this, "vlajka_cz", czechFlagImage(), "Vybrat jazyk: čeština");
    m_flagEn = makeFlag(this, "vlajka_en", englishFlagImage(), "Select language: english");
    auto* languageRow = new QHBoxLayout;
    languageRow->addStretch(1);
    languageRow->addWidget(m_flagCz);
    languageRow->addWidget(m_flagEn);
    languageRow->addWidget(m_language);

    auto* header = new QHBoxLayout;
    auto* titles = new QVBoxLayout;
    titles->addWidget(title);
    titles->addWidget(version);
    header->addLayout(titles, 1);
    header->addLayout(languageRow);
    header->setAlignment(languageRow, Qt::AlignTop);

    m_web = new LinkLabel(makerWebSite().toString(), makerWebSite(), this);
    m_web->setObjectName(QStringLiteral("Label23"));
    m_mail = new LinkLabel(contactMail().path(), contactMail(), this);
    m_mail->setObjectName(QStringLiteral("Label24"));

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(header);
    layout->addStretch(1);
    layout->addWidget(m_web);
    layout->addWidget(m_mail);
}

} // namespace ombrix::ui
