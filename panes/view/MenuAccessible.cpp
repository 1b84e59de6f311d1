#include "panes/view/MenuAccessible.h"

#include <QApplication>
#include <QMenu>
#include <QPointer>

namespace {
QAccessibleInterface* applicationFactory(const QString&, QObject* object) {
    return object && object == qApp ? new ApplicationAccessible : nullptr;
}

// The pop-up menus on screen, which Qt leaves out of the application's children.
QList<QMenu*> openMenus() {
    QList<QMenu*> menus;
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (QWidget* window : windows) {
        auto* menu = qobject_cast<QMenu*>(window);
        if (menu && menu->isVisible()) menus.append(menu);
    }
    return menus;
}
}  // namespace

void ApplicationAccessible::install() {
    static const bool installed = [] {
        QAccessible::installFactory(applicationFactory);
        return true;
    }();
    Q_UNUSED(installed);
}

int ApplicationAccessible::childCount() const {
    return QAccessibleApplication::childCount() + int(openMenus().size());
}

QAccessibleInterface* ApplicationAccessible::child(int index) const {
    const int windows = QAccessibleApplication::childCount();
    if (index < windows) return QAccessibleApplication::child(index);
    const QList<QMenu*> menus = openMenus();
    if (index - windows >= menus.size()) return nullptr;
    return QAccessible::queryAccessibleInterface(menus[index - windows]);
}

int ApplicationAccessible::indexOfChild(const QAccessibleInterface* child) const {
    const int window = QAccessibleApplication::indexOfChild(child);
    if (window >= 0 || !child) return window;
    const int menu = int(openMenus().indexOf(qobject_cast<QMenu*>(child->object())));
    return menu < 0 ? -1 : QAccessibleApplication::childCount() + menu;
}

void forgetAccessibleEntriesWith(QMenu& menu) {
    QList<QPointer<QAction>> actions;
    for (QAction* action : menu.actions()) actions.append(action);
    QObject::connect(&menu, &QObject::destroyed, [actions] {
        for (const QPointer<QAction>& action : actions) {
            if (!action) continue;
            if (QAccessibleInterface* entry = QAccessible::queryAccessibleInterface(action.data()))
                QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(entry));
        }
    });
}
