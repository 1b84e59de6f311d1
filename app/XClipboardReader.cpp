#include "app/XClipboardReader.h"

#include <QGuiApplication>

#include <xcb/xcb.h>

#include <poll.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <thread>

namespace {
using Clock = std::chrono::steady_clock;
constexpr std::chrono::milliseconds kSlice(20);

struct EventFree {
    void operator()(void* event) const { std::free(event); }
};
using Event = std::unique_ptr<xcb_generic_event_t, EventFree>;
using Reply = std::unique_ptr<xcb_get_property_reply_t, EventFree>;

// One connection and an invisible window that receives what the owner sends.
class Connection {
public:
    Connection() : m_c(xcb_connect(nullptr, nullptr)) {
        // An X server may refuse a connection that arrives at the same instant as another.
        for (int retry = 0; retry < 5 && !ok(); ++retry) {
            xcb_disconnect(m_c);
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            m_c = xcb_connect(nullptr, nullptr);
        }
        if (!ok()) return;
        const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(m_c)).data;
        m_window = xcb_generate_id(m_c);
        const uint32_t events = XCB_EVENT_MASK_PROPERTY_CHANGE;
        xcb_create_window(m_c, XCB_COPY_FROM_PARENT, m_window, screen->root, 0, 0, 1, 1, 0,
                          XCB_WINDOW_CLASS_INPUT_ONLY, screen->root_visual, XCB_CW_EVENT_MASK, &events);
        m_clipboard = atom("CLIPBOARD");
        m_property = atom("BRINDLEWICK_CLIPBOARD");
    }
    ~Connection() { xcb_disconnect(m_c); }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    bool ok() const { return xcb_connection_has_error(m_c) == 0; }
    xcb_atom_t atom(const char* name) const {
        const auto cookie = xcb_intern_atom(m_c, 0, uint16_t(std::strlen(name)), name);
        std::unique_ptr<xcb_intern_atom_reply_t, EventFree> reply(
            xcb_intern_atom_reply(m_c, cookie, nullptr));
        return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    }

    enum class Answer { Given, Refused, Silent };
    // Asks the owner for the clipboard as `target`.
    Answer ask(xcb_atom_t target, std::chrono::milliseconds silence, const std::atomic<bool>& stop) {
        xcb_convert_selection(m_c, m_window, m_clipboard, target, m_property, XCB_CURRENT_TIME);
        xcb_flush(m_c);
        const Event event = waitFor(XCB_SELECTION_NOTIFY, silence, stop);
        if (!event) return Answer::Silent;
        const auto* notify = reinterpret_cast<const xcb_selection_notify_event_t*>(event.get());
        return notify->property == XCB_ATOM_NONE ? Answer::Refused : Answer::Given;
    }
    // Takes (and deletes, which asks an incremental sender for the next piece) the answer.
    Reply take() {
        const auto cookie =
            xcb_get_property(m_c, 1, m_window, m_property, XCB_GET_PROPERTY_TYPE_ANY, 0, 0x1fffffff);
        Reply reply(xcb_get_property_reply(m_c, cookie, nullptr));
        xcb_flush(m_c);
        return reply;
    }
    // The next piece of an incremental transfer.
    bool nextPiece(std::chrono::milliseconds silence, const std::atomic<bool>& stop) {
        for (;;) {
            const Event event = waitFor(XCB_PROPERTY_NOTIFY, silence, stop);
            if (!event) return false;
            const auto* notify = reinterpret_cast<const xcb_property_notify_event_t*>(event.get());
            if (notify->atom == m_property && notify->state == XCB_PROPERTY_NEW_VALUE) return true;
        }
    }

private:
    Event waitFor(uint8_t type, std::chrono::milliseconds silence, const std::atomic<bool>& stop) {
        const auto deadline = Clock::now() + silence;
        while (!stop && ok()) {
            while (Event event{xcb_poll_for_event(m_c)}) {
                if ((event->response_type & 0x7f) == type) return event;
            }
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
            if (left.count() <= 0) return {};
            pollfd fd{xcb_get_file_descriptor(m_c), POLLIN, 0};
            poll(&fd, 1, int(std::min(left, kSlice).count()));
        }
        return {};
    }

    xcb_connection_t* m_c;
    xcb_window_t m_window = 0;
    xcb_atom_t m_clipboard = XCB_ATOM_NONE;
    xcb_atom_t m_property = XCB_ATOM_NONE;
};

QByteArrayView valueOf(const Reply& reply) {
    return {static_cast<const char*>(xcb_get_property_value(reply.get())),
            xcb_get_property_value_length(reply.get())};
}

const std::array<const char*, 4> kTextTargets = {"UTF8_STRING", "text/plain;charset=utf-8", "STRING",
                                                 "text/plain"};

// The rest of an incremental transfer, piece by piece until the empty one.
std::optional<QByteArray> takeIncrementally(Connection& x, std::chrono::milliseconds silence,
                                            const std::atomic<bool>& stop) {
    QByteArray text;
    for (;;) {
        if (!x.nextPiece(silence, stop)) return std::nullopt;
        const Reply piece = x.take();
        if (!piece) return std::nullopt;
        if (xcb_get_property_value_length(piece.get()) == 0) return text;
        text.append(valueOf(piece));
    }
}
}  // namespace

namespace XClipboardReader {

bool available() {
    return QGuiApplication::platformName() == QLatin1String("xcb");
}

Offer offer(std::chrono::milliseconds silence) {
    Connection x;
    const std::atomic<bool> never{false};
    if (!x.ok()) return Offer::NoAnswer;
    const Connection::Answer answer = x.ask(x.atom("TARGETS"), silence, never);
    if (answer != Connection::Answer::Given)
        return answer == Connection::Answer::Silent ? Offer::NoAnswer : Offer::NoText;
    const Reply reply = x.take();
    if (!reply || reply->format != 32) return Offer::NoText;
    const auto* atoms = static_cast<const xcb_atom_t*>(xcb_get_property_value(reply.get()));
    const int count = xcb_get_property_value_length(reply.get()) / 4;
    for (const char* name : kTextTargets) {
        const xcb_atom_t wanted = x.atom(name);
        if (std::find(atoms, atoms + count, wanted) != atoms + count) return Offer::Text;
    }
    return Offer::NoText;
}

std::optional<QByteArray> text(std::chrono::milliseconds silence, const std::atomic<bool>& stop) {
    Connection x;
    if (!x.ok()) return std::nullopt;
    const xcb_atom_t incremental = x.atom("INCR");
    for (const char* name : kTextTargets) {
        const Connection::Answer answer = x.ask(x.atom(name), silence, stop);
        if (answer == Connection::Answer::Silent) return std::nullopt;
        if (answer == Connection::Answer::Refused) continue;
        const Reply reply = x.take();
        if (!reply) return std::nullopt;
        if (reply->type == incremental) return takeIncrementally(x, silence, stop);
        return valueOf(reply).toByteArray();
    }
    return QByteArray();
}

}  // namespace XClipboardReader
