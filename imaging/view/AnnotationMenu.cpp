#include "imaging/view/AnnotationMenu.h"

#include "imaging/core/DLL96V1.h"

#include <QAction>
#include <QMenu>

namespace orva::imaging {

int ExecAnnotationMenu(QWidget *parent, const void *window, const QPoint &at) {
    QMenu menu(parent);
    for (const auto &item : AnnoMenuItems(window)) {
        if (item.command == 0) {
            menu.addSeparator();
            continue;
        }
        QAction *action = menu.addAction(item.caption);
        action->setData(item.command);
        action->setCheckable(item.checked);
        action->setChecked(item.checked);
        action->setEnabled(item.enabled);
    }
    const QAction *chosen = menu.exec(at);
    return chosen ? chosen->data().toInt() : 0;
}

} // namespace orva::imaging
