#include "ui/mainwindow/MergePage.h"

#include "ui/mainwindow/RunTextLabel.h"
#include "ui/mainwindow/StatusLine.h"

#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace ombrix::ui {

namespace {

QLabel* label(const char* objectName, const char* czechText, QWidget* parent)
{
    auto* text = new QLabel(QString::fromUtf8(czechText), parent);
    text->setObjectName(QLatin1String(objectName));
    text->setWordWrap(true);
    return text;
}

} // namespace

MergePage::MergePage(QWidget* parent) : QWidget(parent)
{
    QLabel* listTitle = label("MergeListTitle", "Archivy ve Vaší cílové složce", this);
    QFont bold = listTitle->font();
    bold.setBold(true);
    listTitle->setFont(bold);

    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("ListBox4"));
    // The program keeps the entries in the order of their texts (oldest set first) and selects
    // the range itself; a click only tells it which boundary was meant.
    m_list->setSelectionMode(QAbstractItemView::MultiSelection);
    m_list->setMinimumWidth(260);

    m_size = new QPushButton(QString::fromUtf8("Velikost vybraných archivů"), this);
    m_size->setObjectName(QStringLiteral("Button15"));
    m_size->setEnabled(false);

    QLabel* what = label("MergeText1", "Zde můžete sloučit více archivů do jednoho.", this);
    what->setFont(bold);
    QLabel* adjacent = label("MergeText2", "Sloučit lze pouze archivy jdoucí bezprostředně za sebou.", this);
    QLabel* into = label("MergeText3", "Archivy se slučují do posledního z vybraných.", this);
    QLabel* slow = label("MergeText4", "- operace může trvat dlouho", this);

    m_run = new QPushButton(QString::fromUtf8("SLOUČIT"), this);
    m_run->setObjectName(QStringLiteral("BitBtn4"));
    m_run->setEnabled(false);
    QFont big = m_run->font();
    big.setPointSize(16);
    big.setBold(true);
    m_run->setFont(big);
    m_status = new StatusLine(QStringLiteral("StaticText3"), this);
    m_detail = new RunTextLabel(RunTextLabel::Role::ProgressDetail, QStringLiteral("ProgressDetail3"), this);
    m_summary = new RunTextLabel(RunTextLabel::Role::Summary, QStringLiteral("RunSummary3"), this);
    m_progress = new QProgressBar(this);
    m_progress->setObjectName(QStringLiteral("ProgressBar3"));
    m_progress->setRange(0, 1);
    m_progress->setValue(0);
    m_progress->setTextVisible(false);

    auto* texts = new QVBoxLayout;
    texts->addWidget(what);
    texts->addWidget(adjacent);
    texts->addWidget(into);
    texts->addWidget(slow);
    texts->addStretch(1);
    texts->addWidget(m_run, 0, Qt::AlignLeft);

    auto* grid = new QGridLayout;
    grid->addWidget(listTitle, 0, 0);
    grid->addWidget(m_list, 1, 0);
    grid->addWidget(m_size, 2, 0);
    grid->addLayout(texts, 1, 1, 2, 1);
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(1, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid, 1);
    layout->addWidget(m_status);
    layout->addWidget(m_detail);
    layout->addWidget(m_progress);
    layout->addWidget(m_summary);
}

} // namespace ombrix::ui
