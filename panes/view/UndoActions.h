#pragma once

class QAction;
class QUndoStack;
class QWidget;

// A pane's Undo and Redo as actions of the pane's widget, after a separator, so the pane's context
// menu lists them with their shortcuts: Ctrl+Z; Ctrl+Shift+Z and Ctrl+Y (and the platform's own).
// The shortcuts work while the pane has focus; each action is enabled while the pane's history has
// a step to take back or make again. What a trigger does is the window's to wire.
struct UndoActions {
    QAction* undo = nullptr;
    QAction* redo = nullptr;
};

UndoActions addUndoActions(QWidget& pane, const QUndoStack& steps);
