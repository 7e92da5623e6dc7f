#include "ui/dialogs/MaskDialog.h"

#include "core/lang/Translator.h"
#include "core/sources/Mask.h"
#include "core/sources/SourceParser.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace ombrix::ui {

namespace {

struct ListSpec
{
    const char* prefix; // object names: <prefix>Label, <prefix>List, <prefix>Edit, <prefix>Add
    const char* heading;
};

const ListSpec listSpecs[MaskDialog::ListCount] = {
    {"Include", "Zálohovat pouze soubory:"},
    {"Exclude", "Vynechat soubory:"},
    {"ExcludedDirs", "Vynechat adresáře:"},
    {"NoCompress", "Nekomprimovat:"},
};

const char* const initialMaskText = "*.";

QStringList items(const QListWidget* list)
{
    QStringList texts;
    for (int i = 0; i < list->count(); ++i)
        texts.append(list->item(i)->text());
    return texts;
}

QString childName(const char* prefix, const char* suffix)
{
    return QLatin1String(prefix) + QLatin1String(suffix);
}

} // namespace

MaskDialog::MaskDialog(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("maskForm"));
    setWindowTitle(QStringLiteral("Additional settings"));
    setSizeGripEnabled(true);

    auto* hint = new QLabel(
        QString::fromUtf8("Lze použít zcela libovolnou masku např.: *.txt,  a*r.?xt  apod."), this);
    hint->setObjectName(QStringLiteral("MaskHint"));
    hint->setWordWrap(true);

    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(16);
    grid->setRowMinimumHeight(3, 8);
    for (int kind = 0; kind < ListCount; ++kind) {
        const ListSpec& layout = listSpecs[kind];
        auto* heading = new QLabel(QString::fromUtf8(layout.heading), this);
        heading->setObjectName(childName(layout.prefix, "Label"));

        auto* list = new QListWidget(this);
        list->setObjectName(childName(layout.prefix, "List"));
        list->setSelectionMode(QAbstractItemView::SingleSelection);
        list->installEventFilter(this);
        heading->setBuddy(list);

        auto* edit = new QLineEdit(QLatin1String(initialMaskText), this);
        edit->setObjectName(childName(layout.prefix, "Edit"));
        auto* add = new QPushButton(QString::fromUtf8("Přidat"), this);
        add->setObjectName(childName(layout.prefix, "Add"));
        add->setAutoDefault(false);

        m_lists[kind] = list;
        m_edits[kind] = edit;
        m_addButtons[kind] = add;

        // Two lists side by side in two bands; each band's lists share the same rows so they line
        // up, and the band's warning row (under the no-compression list) takes no room from them.
        const int column = kind % 2;
        const int top = (kind / 2) * 4;
        grid->addWidget(heading, top, column);
        grid->addWidget(list, top + 1, column);
        grid->setRowStretch(top + 1, 1);
        auto* inputRow = new QHBoxLayout;
        inputRow->addWidget(edit, 1);
        inputRow->addWidget(add);
        grid->addLayout(inputRow, top + 2, column);
        if (kind == NoCompress) {
            auto* warning =
                new QLabel(QString::fromUtf8("Nekomprimovaná data nemohou být chráněna heslem!"), this);
            warning->setObjectName(QStringLiteral("NoCompressHint"));
            warning->setWordWrap(true);
            warning->setStyleSheet(QStringLiteral("color: #b00000;"));
            grid->addWidget(warning, top + 3, column);
        }

        const auto listKind = static_cast<ListKind>(kind);
        connect(add, &QPushButton::clicked, this, [this, listKind] { addMask(listKind); });
        connect(edit, &QLineEdit::returnPressed, this, [this, listKind] { addMask(listKind); });
        connect(list, &QListWidget::itemClicked, edit,
                [edit](const QListWidgetItem* item) { edit->setText(item->text()); });
    }
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(1, 1);

    m_subdirs = new QCheckBox(QString::fromUtf8("Zahrnout podadresáře"), this);
    m_subdirs->setObjectName(QStringLiteral("SubdirsBox"));
    m_subdirs->setChecked(true);

    m_error = new QLabel(this);
    m_error->setObjectName(QStringLiteral("MaskError"));
    m_error->setWordWrap(true);
    m_error->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_error->setStyleSheet(QStringLiteral("color: #b00000; font-weight: bold;"));
    m_error->setVisible(false);

    m_apply = new QPushButton(QString::fromUtf8("Použít"), this);
    m_apply->setObjectName(QStringLiteral("ApplyButton"));
    m_apply->setAutoDefault(false);

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(m_subdirs);
    bottom->addStretch(1);
    bottom->addWidget(m_apply);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(hint);
    layout->addLayout(grid, 1);
    layout->addWidget(m_error);
    layout->addLayout(bottom);

    connect(m_apply, &QPushButton::clicked, this, [this] { apply(); });
    resize(minimumSizeHint().expandedTo(QSize(640, 480)));
}

void MaskDialog::load(const QString& line)
{
    const SourceEntry entry = pars_source(line);
    m_storedPath = sourcePathPart(line);
    const QStringList* masks[ListCount] = {&entry.includeMasks, &entry.excludeMasks, &entry.excludedDirMasks,
                                           &entry.noCompressMasks};
    for (int kind = 0; kind < ListCount; ++kind) {
        m_lists[kind]->clear();
        m_lists[kind]->addItems(*masks[kind]);
        m_edits[kind]->setText(QLatin1String(initialMaskText));
    }
    m_subdirs->setChecked(entry.includeSubdirs);
    showError({});
}

void MaskDialog::openFor(const QString& line, ApplyHandler onApply)
{
    load(line);
    m_onApply = std::move(onApply);
    setWindowModality(Qt::ApplicationModal);
    show();
    raise();
    activateWindow();
    m_lists[Include]->setFocus();
}

QString MaskDialog::maskError(const QString& mask)
{
    // A marker or a line end inside a mask would split the entry into other options when the
    // line is read again.
    if (mask.contains(sourceOptionMarker) || mask.contains(u'\r') || mask.contains(u'\n') ||
        mask.contains(QChar(0))) {
        return getLang(QString::fromUtf8("Maska nesmí obsahovat /// ani konec řádku:")) + u' ' + mask;
    }
    return Mask(mask).errorText();
}

QString MaskDialog::firstMaskError() const
{
    for (const QListWidget* list : m_lists) {
        for (const QString& mask : items(list)) {
            const QString error = maskError(mask);
            if (!error.isEmpty())
                return error;
        }
    }
    return {};
}

QString MaskDialog::composedLine() const
{
    SourceEntry entry;
    entry.storedPath = m_storedPath;
    entry.includeMasks = items(m_lists[Include]);
    entry.excludeMasks = items(m_lists[Exclude]);
    entry.excludedDirMasks = items(m_lists[ExcludedDirs]);
    entry.noCompressMasks = items(m_lists[NoCompress]);
    entry.includeSubdirs = m_subdirs->isChecked();
    return sourceLine(entry);
}

void MaskDialog::addMask(ListKind kind)
{
    const QString mask = m_edits[kind]->text().trimmed();
    if (mask.isEmpty())
        return;
    const QString error = maskError(mask);
    if (!error.isEmpty()) {
        showError(error);
        m_edits[kind]->setFocus();
        m_edits[kind]->selectAll();
        return;
    }
    showError({});
    m_lists[kind]->addItem(mask);
}

bool MaskDialog::apply()
{
    const QString maskProblem = firstMaskError();
    if (!maskProblem.isEmpty()) {
        showError(maskProblem);
        return false;
    }
    const QString line = composedLine();
    QString error;
    if (m_onApply && !m_onApply(line, &error)) {
        showError(error);
        return false;
    }
    showError({});
    accept();
    return true;
}

void MaskDialog::showError(const QString& text)
{
    m_error->setText(text);
    m_error->setVisible(!text.isEmpty());
}

void MaskDialog::removeSelected(QListWidget* list)
{
    const int row = list->currentRow();
    if (row < 0 || !list->item(row)->isSelected())
        return;
    delete list->takeItem(row);
    if (row < list->count())
        list->setCurrentRow(row);
    else
        list->setCurrentRow(-1);
}

bool MaskDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Delete) {
        for (QListWidget* list : m_lists) {
            if (watched == list) {
                removeSelected(list);
                return true;
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace ombrix::ui
