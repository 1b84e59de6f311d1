#include "panes/view/UndoActions.h"

#include <QAction>
#include <QUndoStack>
#include <QWidget>

namespace {
// The platform's keys for the standard action, and ours where it lacks them.
QList<QKeySequence> keysFor(QKeySequence::StandardKey standard, std::initializer_list<QKeySequence> ours) {
    QList<QKeySequence> keys = QKeySequence::keyBindings(standard);
    for (const QKeySequence& key : ours)
        if (!keys.contains(key)) keys.append(key);
    return keys;
}

QAction* addAction(QWidget& pane, const char* name, const char* text, const QList<QKeySequence>& keys,
                   bool enabled) {
    auto* action = new QAction(QString::fromLatin1(text), &pane);
    action->setObjectName(QString::fromLatin1(name));
    action->setShortcuts(keys);
    action->setShortcutContext(Qt::WidgetShortcut);
    action->setEnabled(enabled);
    pane.addAction(action);
    return action;
}
}  // namespace

UndoActions addUndoActions(QWidget& pane, const QUndoStack& steps) {
    auto* separator = new QAction(&pane);
    separator->setSeparator(true);
    pane.addAction(separator);
    UndoActions actions;
    actions.undo = addAction(pane, "undo", "&Undo", keysFor(QKeySequence::Undo, {Qt::CTRL | Qt::Key_Z}),
                             steps.canUndo());
    actions.redo =
        addAction(pane, "redo", "&Redo",
                  keysFor(QKeySequence::Redo, {Qt::CTRL | Qt::SHIFT | Qt::Key_Z, Qt::CTRL | Qt::Key_Y}),
                  steps.canRedo());
    QObject::connect(&steps, &QUndoStack::canUndoChanged, actions.undo, &QAction::setEnabled);
    QObject::connect(&steps, &QUndoStack::canRedoChanged, actions.redo, &QAction::setEnabled);
    return actions;
}
