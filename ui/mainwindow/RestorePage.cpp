#include "ui/mainwindow/RestorePage.h"

#include "ui/mainwindow/RunTextLabel.h"
#include "ui/mainwindow/StatusLine.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QVBoxLayout>

namespace ombrix::ui {

namespace {

QPushButton* makeButton(QWidget* parent, const char* name, const QString& caption)
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QLatin1String(name));
    return button;
}

QProgressBar* makeProgress(QWidget* parent, const char* name)
{
    auto* bar = new QProgressBar(parent);
    bar->setObjectName(QLatin1String(name));
    bar->setRange(0, 1);
    bar->setValue(0);
    bar->setTextVisible(false);
    return bar;
}

} // namespace

RestorePage::RestorePage(QWidget* parent) : QWidget(parent)
{
    // The set list and its buttons.
    m_sets = new QListWidget(this);
    m_sets->setObjectName(QStringLiteral("ListBox2"));
    m_sets->setSortingEnabled(true);
    m_sets->setSelectionMode(QAbstractItemView::SingleSelection);
    m_sets->setMinimumWidth(m_sets->fontMetrics().horizontalAdvance(QStringLiteral("0000-00-00_00-00-00")) +
                            48);
    m_refresh = makeButton(this, "Button8", QString::fromUtf8("Obnovit seznam"));
    m_test = makeButton(this, "Button10", QStringLiteral("test"));
    m_test->setEnabled(false);
    m_testResult = new QLabel(QStringLiteral("...."), this);
    m_testResult->setObjectName(QStringLiteral("Label21"));
    m_testProgress = makeProgress(this, "ProgressBar4");

    auto* setsBox = new QGroupBox(this);
    setsBox->setObjectName(QStringLiteral("GroupBoxSets"));
    auto* setsLayout = new QVBoxLayout(setsBox);
    setsLayout->addWidget(m_sets, 1);
    setsLayout->addWidget(m_refresh);
    auto* testRow = new QHBoxLayout;
    testRow->addWidget(m_test);
    testRow->addWidget(m_testResult, 1);
    setsLayout->addLayout(testRow);
    setsLayout->addWidget(m_testProgress);

    // The restore place.
    m_original = new QCheckBox(QString::fromUtf8("Obnovit data na původní místo"), this);
    m_original->setObjectName(QStringLiteral("CheckBox4"));
    m_exact = new QRadioButton(QString::fromUtf8("Obnovit přesný stav zálohovaných složek"), this);
    m_exact->setObjectName(QStringLiteral("RadioButton3"));
    m_keep = new QRadioButton(QString::fromUtf8("Nezazálohované soubory ponechat ve složkách"), this);
    m_keep->setObjectName(QStringLiteral("RadioButton4"));
    auto* modes = new QButtonGroup(this);
    modes->addButton(m_exact);
    modes->addButton(m_keep);
    m_keep->setChecked(true);
    m_exact->setEnabled(false);
    m_keep->setEnabled(false);
    m_folder = new QLineEdit(this);
    m_folder->setObjectName(QStringLiteral("Edit8"));
    m_browse = makeButton(this, "Button9", QString::fromUtf8("Procházet"));

    auto* warningIcon = new QLabel(this);
    warningIcon->setObjectName(QStringLiteral("Image2"));
    const int iconSize = warningIcon->fontMetrics().height();
    warningIcon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(iconSize, iconSize));
    auto* warningText =
        new QLabel(QString::fromUtf8("Cílové zařízení má starší filesystém než zdrojové zařízení"), this);
    warningText->setObjectName(QStringLiteral("Label22"));
    m_warning = new QWidget(this);
    m_warning->setObjectName(QStringLiteral("RestoreFileSystemWarning"));
    auto* warningRow = new QHBoxLayout(m_warning);
    warningRow->setContentsMargins(0, 0, 0, 0);
    warningRow->addWidget(warningIcon);
    warningRow->addWidget(warningText, 1);
    m_warning->setVisible(false);

    auto* placeBox = new QGroupBox(this);
    placeBox->setObjectName(QStringLiteral("GroupBoxPlace"));
    auto* placeLayout = new QVBoxLayout(placeBox);
    placeLayout->addWidget(m_original);
    auto* modeLayout = new QVBoxLayout;
    modeLayout->setContentsMargins(24, 0, 0, 0);
    modeLayout->addWidget(m_exact);
    modeLayout->addWidget(m_keep);
    placeLayout->addLayout(modeLayout);
    auto* folderRow = new QHBoxLayout;
    folderRow->addWidget(m_folder, 1);
    folderRow->addWidget(m_browse);
    placeLayout->addLayout(folderRow);
    placeLayout->addWidget(m_warning);

    m_tree = makeButton(this, "BitBtn3", QString::fromUtf8("Vybrat soubory nebo složky k obnovení"));
    m_tree->setEnabled(false);
    m_log = makeButton(this, "Button18", QString::fromUtf8("Zobrazit LOG.txt"));
    m_log->setEnabled(false);

    auto* right = new QVBoxLayout;
    right->addWidget(placeBox);
    right->addWidget(m_tree);
    right->addWidget(m_log);
    right->addStretch(1);

    // The restore itself.
    m_run = new QPushButton(QString::fromUtf8("OBNOVA DAT"), this);
    m_run->setObjectName(QStringLiteral("BitBtn2"));
    QFont big = m_run->font();
    big.setPointSize(16);
    big.setBold(true);
    m_run->setFont(big);
    m_run->setEnabled(false);
    m_status = new StatusLine(QStringLiteral("StaticText2"), this);
    m_detail = new RunTextLabel(RunTextLabel::Role::ProgressDetail, QStringLiteral("ProgressDetail2"), this);
    m_summary = new RunTextLabel(RunTextLabel::Role::Summary, QStringLiteral("RunSummary2"), this);
    m_progress = makeProgress(this, "ProgressBar2");

    auto* top = new QHBoxLayout;
    top->addWidget(setsBox, 1);
    top->addLayout(right, 2);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addWidget(m_run, 0, Qt::AlignLeft);
    layout->addWidget(m_status);
    layout->addWidget(m_detail);
    layout->addWidget(m_progress);
    layout->addWidget(m_summary);
}

void RestorePage::setFolderEnabled(bool enabled)
{
    m_folder->setEnabled(enabled);
    m_browse->setEnabled(enabled);
    QPalette palette = m_folder->palette();
    palette.setColor(QPalette::Disabled, QPalette::Base, palette.color(QPalette::Active, QPalette::Midlight));
    m_folder->setPalette(palette);
}

} // namespace ombrix::ui
