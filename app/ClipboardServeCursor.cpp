#include "app/ClipboardServeCursor.h"

#include <QClipboard>
#include <QCursor>
#include <QGuiApplication>
#include <QMimeData>
#include <QTimer>

#include <xcb/xcb.h>

namespace {
// Below this, Qt's copy takes less than a turn of the event loop.
constexpr qsizetype kLongText = 8 * 1024 * 1024;

bool holdsLongText() {
    const QClipboard* clipboard = QGuiApplication::clipboard();
    if (!clipboard->ownsClipboard()) return false;
    const QMimeData* data = clipboard->mimeData();
    // The bytes are shared, not copied, to learn their size.
    return data && data->data(QStringLiteral("text/plain;charset=utf-8")).size() >= kLongText;
}
}  // namespace

void ClipboardServeCursor::install() {
    if (QGuiApplication::platformName() != QLatin1String("xcb")) return;
    static ClipboardServeCursor filter;
    qApp->installNativeEventFilter(&filter);
}

bool ClipboardServeCursor::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
    if (m_shown || eventType != "xcb_generic_event_t") return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    if ((event->response_type & 0x7f) != XCB_SELECTION_REQUEST || !holdsLongText()) return false;
    m_shown = true;
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    // The pointer must reach the X server before Qt's copy holds the thread.
    if (auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>()) xcb_flush(x11->connection());
    // Qt answers the request right after this filter; the next turn of the loop comes after it.
    QTimer::singleShot(0, qApp, [this] {
        QGuiApplication::restoreOverrideCursor();
        m_shown = false;
    });
    return false;
}
