#pragma once

#include <QObject>
#include <QString>

// The main window's state that commands test and set: the Busy flag of the list operations, the
// mouse pointer value (also the busy sign of loads and saves) and the application title.
class WindowState : public QObject {
    Q_OBJECT
public:
    enum Pointer { DefaultPointer = 0, WaitPointer = 11, HandPointer = 99 };

    using QObject::QObject;

    bool busy() const { return m_busy; }
    void setBusy(bool busy) { m_busy = busy; }

    int mousePointer() const { return m_pointer; }
    void setMousePointer(int value);
    bool waiting() const { return m_pointer == WaitPointer; }

    const QString& appTitle() const { return m_appTitle; }
    void setAppTitle(const QString& title) { m_appTitle = title; }

Q_SIGNALS:
    void mousePointerChanged(int value);

private:
    bool m_busy = false;
    int m_pointer = DefaultPointer;
    QString m_appTitle;
};
