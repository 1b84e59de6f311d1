#include "panes/view/DropTarget.h"

#include <QDropEvent>
#include <QWidget>

void DropTarget::watch(QWidget* surface) {
    surface->setAcceptDrops(true);
    surface->installEventFilter(this);
}

bool DropTarget::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::DragEnter:
            m_welcome = welcomes(static_cast<QDropEvent*>(event));
            answer(static_cast<QDragMoveEvent*>(event));
            return true;
        case QEvent::DragMove:
            answer(static_cast<QDragMoveEvent*>(event));
            return true;
        case QEvent::DragLeave:
            setHighlighted(false);
            return true;
        case QEvent::Drop:
            drop(static_cast<QDropEvent*>(event));
            return true;
        default:
            return QObject::eventFilter(watched, event);
    }
}

bool DropTarget::welcomes(const QDropEvent* event) const {
    return m_test && (event->possibleActions() & Qt::CopyAction) && m_test(*event->mimeData());
}

void DropTarget::answer(QDragMoveEvent* event) {
    setHighlighted(m_welcome);
    if (!m_welcome) {
        event->ignore();
        return;
    }
    // A copy, never a move: the source of a move deletes what it gave, a file manager its files.
    event->setDropAction(Qt::CopyAction);
    event->accept();
}

void DropTarget::drop(QDropEvent* event) {
    setHighlighted(false);
    m_welcome = false;
    if (!welcomes(event)) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
    Q_EMIT dropped(event->mimeData());
}

void DropTarget::setHighlighted(bool on) {
    if (m_highlighted == on) return;
    m_highlighted = on;
    Q_EMIT highlightChanged();
}
