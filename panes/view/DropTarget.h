#pragma once

#include <QObject>

#include <functional>

class QDragMoveEvent;
class QDropEvent;
class QMimeData;
class QWidget;

// Takes the drags over a pane's surfaces: welcomes data that its test lets through, as a copy,
// refuses the rest (the pointer then shows that nothing can be dropped there), shows when a welcome
// drag is over the pane, and hands over what is dropped.
class DropTarget : public QObject {
    Q_OBJECT
public:
    using Test = std::function<bool(const QMimeData&)>;

    using QObject::QObject;

    // Drags over this widget come here.
    void watch(QWidget* surface);
    // Without a test every drop is refused.
    void setTest(Test test) { m_test = std::move(test); }
    bool highlighted() const { return m_highlighted; }

Q_SIGNALS:
    void highlightChanged();
    // Data that passed the test was dropped. It lives only during the call.
    void dropped(const QMimeData* data);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool welcomes(const QDropEvent* event) const;
    void answer(QDragMoveEvent* event);
    void drop(QDropEvent* event);
    void setHighlighted(bool on);

    Test m_test;
    // Decided when the drag enters: its data stays the same until it leaves or drops.
    bool m_welcome = false;
    bool m_highlighted = false;
};
