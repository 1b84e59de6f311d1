#pragma once

#include <QObject>
#include <QString>

// The main window's state that commands test and set: the Busy flag of the list operations, the
// mouse pointer value (also the busy sign of loads and saves) and the application title.
class WindowState : public QObject {
    Q_OBJECT
public:
    // The values are the pointer property's own, which tests and reports observe.
    enum Pointer : int { DefaultPointer = 0, WaitPointer = 11, HandPointer = 99 };
    Q_ENUM(Pointer)

    using QObject::QObject;

    bool busy() const { return m_busy; }
    void setBusy(bool busy) { m_busy = busy; }

    Pointer mousePointer() const { return m_pointer; }
    void setMousePointer(Pointer value);
    bool waiting() const { return m_pointer == WaitPointer; }

    const QString& appTitle() const { return m_appTitle; }
    void setAppTitle(const QString& title) { m_appTitle = title; }

Q_SIGNALS:
    void mousePointerChanged(WindowState::Pointer value);

private:
    bool m_busy = false;
    Pointer m_pointer = DefaultPointer;
    QString m_appTitle;
};
