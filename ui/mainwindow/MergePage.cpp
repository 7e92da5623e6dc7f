#include "ui/mainwindow/MergePage.h"

#include "ui/mainwindow/StatusLine.h"

#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace ombrix::ui {

MergePage::MergePage(QWidget* parent) : QWidget(parent)
{
    m_run = new QPushButton(QString::fromUtf8("SLOUČIT"), this);
    m_run->setObjectName(QStringLiteral("BitBtn4"));
    QFont big = m_run->font();
    big.setPointSize(16);
    big.setBold(true);
    m_run->setFont(big);
    m_status = new StatusLine(QStringLiteral("StaticText3"), this);
    m_progress = new QProgressBar(this);
    m_progress->setObjectName(QStringLiteral("ProgressBar3"));
    m_progress->setRange(0, 1);
    m_progress->setValue(0);
    m_progress->setTextVisible(false);

    auto* layout = new QVBoxLayout(this);
    layout->addStretch(1);
    layout->addWidget(m_run, 0, Qt::AlignLeft);
    layout->addWidget(m_status);
    layout->addWidget(m_progress);
}

} // namespace ombrix::ui
