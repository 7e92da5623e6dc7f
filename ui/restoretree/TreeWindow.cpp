#include "ui/restoretree/TreeWindow.h"

namespace ombrix::ui {

TreeWindow::TreeWindow(const QString& recoveryListPath, QWidget* parent)
    : QDialog(parent), m_recoveryListPath(recoveryListPath)
{
    setObjectName(QStringLiteral("TFormTree"));
    setWindowTitle(QStringLiteral("Select folders or files"));
}

TreeWindow::~TreeWindow() = default;

void TreeWindow::markForRebuild() {}

} // namespace ombrix::ui
