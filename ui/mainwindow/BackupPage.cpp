#include "ui/mainwindow/BackupPage.h"

#include "ui/mainwindow/RunTextLabel.h"
#include "ui/mainwindow/StatusLine.h"
#include "ui/mainwindow/TrafficLight.h"
#include "ui/mainwindow/UpdateNotice.h"

#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace ombrix::ui {

BackupPage::BackupPage(QWidget* parent) : QWidget(parent)
{
    m_start = new QPushButton(QStringLiteral("START"), this);
    m_start->setObjectName(QStringLiteral("BitBtn1"));
    QFont big = m_start->font();
    big.setPointSize(16);
    big.setBold(true);
    m_start->setFont(big);
    m_start->setMinimumSize(m_start->fontMetrics().horizontalAdvance(QStringLiteral("pokračovat..")) + 40,
                            m_start->fontMetrics().height() * 3);

    m_skip = new QPushButton(QString::fromUtf8("Přeskočit"), this);
    m_skip->setObjectName(QStringLiteral("Button21"));
    m_skip->setEnabled(false);

    m_light = new TrafficLight(this);
    m_light->setObjectName(QStringLiteral("TrafficLight"));

    m_status = new StatusLine(QStringLiteral("StaticText1"), this);
    m_detail = new RunTextLabel(RunTextLabel::Role::ProgressDetail, QStringLiteral("ProgressDetail1"), this);
    m_summary = new RunTextLabel(RunTextLabel::Role::Summary, QStringLiteral("RunSummary1"), this);

    m_progress = new QProgressBar(this);
    m_progress->setObjectName(QStringLiteral("ProgressBar1"));
    m_progress->setRange(0, 1);
    m_progress->setValue(0);
    m_progress->setTextVisible(false);

    m_transfer = new QLabel(QString::fromUtf8("FTP přenos"), this);
    m_transfer->setObjectName(QStringLiteral("Label45"));
    m_transfer->setVisible(false);
    m_percent = new QLabel(this);
    m_percent->setObjectName(QStringLiteral("Label3"));

    m_attachList = new QComboBox(this);
    m_attachList->setObjectName(QStringLiteral("ComboBox1"));
    m_attachList->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_attachList->setMinimumContentsLength(24);
    m_attach = new QPushButton(QString::fromUtf8("Navázat"), this);
    m_attach->setObjectName(QStringLiteral("Button11"));
    m_attach->setEnabled(false);

    auto* warningIcon = new QLabel(this);
    warningIcon->setObjectName(QStringLiteral("Image1"));
    const int iconSize = warningIcon->fontMetrics().height();
    warningIcon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(iconSize, iconSize));
    auto* warningText =
        new QLabel(QString::fromUtf8("Cílové zařízení má starší filesystém než zdrojové zařízení"), this);
    warningText->setObjectName(QStringLiteral("Label15"));
    warningText->setWordWrap(true);
    m_warning = new QWidget(this);
    m_warning->setObjectName(QStringLiteral("BackupFileSystemWarning"));
    auto* warningRow = new QHBoxLayout(m_warning);
    warningRow->setContentsMargins(0, 0, 0, 0);
    warningRow->addWidget(warningIcon);
    warningRow->addWidget(warningText, 1);
    m_warning->setVisible(false);

    m_notice = new UpdateNotice(this);
    m_notice->setWordWrap(true);

    auto* top = new QHBoxLayout;
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(m_start);
    buttons->addWidget(m_skip);
    buttons->addStretch();
    top->addLayout(buttons);
    top->addSpacing(24);
    top->addWidget(m_light, 1, Qt::AlignTop);

    auto* transferRow = new QHBoxLayout;
    transferRow->addWidget(m_transfer);
    transferRow->addWidget(m_percent);
    transferRow->addStretch();

    auto* attachBox = new QGroupBox(this);
    attachBox->setObjectName(QStringLiteral("GroupBoxAttach"));
    auto* attachRow = new QHBoxLayout(attachBox);
    auto* attachLabel =
        new QLabel(QString::fromUtf8("Navázat přírůstkový průběh záloh. na archiv:"), attachBox);
    attachLabel->setObjectName(QStringLiteral("Label9"));
    attachLabel->setBuddy(m_attachList);
    attachRow->addWidget(attachLabel);
    attachRow->addWidget(m_attachList, 1);
    attachRow->addWidget(m_attach);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addSpacing(12);
    layout->addWidget(m_status);
    layout->addWidget(m_detail);
    layout->addWidget(m_progress);
    layout->addLayout(transferRow);
    layout->addWidget(m_summary);
    layout->addSpacing(8);
    layout->addWidget(m_warning);
    layout->addWidget(m_notice);
    layout->addStretch(1);
    layout->addWidget(attachBox);
}

void BackupPage::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    Q_EMIT shown();
}

} // namespace ombrix::ui
