#pragma once

#include <QAbstractNativeEventFilter>

// Qt hands this program's clipboard to another program on the window's thread, and copies a long
// list's text whole before it sends the first piece: a few hundred milliseconds in which the window
// does not turn. The wait pointer shows meanwhile, so the pause is not taken for a hang.
class ClipboardServeCursor : public QAbstractNativeEventFilter {
public:
    // Once per program, on X only.
    static void install();

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

private:
    bool m_shown = false;
};
