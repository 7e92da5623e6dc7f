#include "ui/settings/TabIndexMemory.h"

#include "core/config/IniStore.h"

#include <QTabWidget>

namespace ombrix::ui {

void rememberShownPage(QTabWidget* pages, std::function<IniStore*()> store)
{
    QObject::connect(pages, &QTabWidget::currentChanged, pages, [store = std::move(store)](int index) {
        if (index < 0 || !store)
            return;
        if (IniStore* config = store())
            config->writeInt(ConfigKeys::TAB_INDEX, index);
    });
}

} // namespace ombrix::ui
