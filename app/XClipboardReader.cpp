#include "app/XClipboardReader.h"

#include <QGuiApplication>

#include <xcb/xcb.h>

#include <poll.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <thread>

namespace {
using SteadyClock = std::chrono::steady_clock;
constexpr std::chrono::milliseconds kSlice(20);
const char kWindowName[] = "Brindlewick clipboard reader";

struct EventFree {
    void operator()(void* event) const { std::free(event); }
};
using Event = std::unique_ptr<xcb_generic_event_t, EventFree>;
using Reply = std::unique_ptr<xcb_get_property_reply_t, EventFree>;

enum class Atom { Clipboard, Property, Targets, Incremental, Utf8, Utf8Plain, Latin1, Plain, Count };
constexpr auto kAtomCount = size_t(Atom::Count);
constexpr std::array<const char*, kAtomCount> kAtomNames = {
    "CLIPBOARD",   "BRINDLEWICK_CLIPBOARD",    "TARGETS", "INCR",
    "UTF8_STRING", "text/plain;charset=utf-8", "STRING",  "text/plain"};
// The text formats, the most wanted first.
constexpr std::array<Atom, 4> kTextTargets = {Atom::Utf8, Atom::Utf8Plain, Atom::Latin1, Atom::Plain};

QByteArrayView valueOf(const Reply& reply) {
    return {static_cast<const char*>(xcb_get_property_value(reply.get())),
            xcb_get_property_value_length(reply.get())};
}

// Straight to UTF-8, without a UTF-16 copy of a long list in between.
QByteArray latin1ToUtf8(const QByteArray& latin1) {
    const auto high = std::count_if(latin1.begin(), latin1.end(), [](char c) { return uchar(c) >= 0x80; });
    if (high == 0) return latin1;
    QByteArray utf8(latin1.size() + high, Qt::Uninitialized);
    char* out = utf8.data();
    for (const char c : latin1) {
        const auto byte = uchar(c);
        if (byte < 0x80) {
            *out++ = c;
        } else {
            *out++ = char(0xC0 | (byte >> 6));
            *out++ = char(0x80 | (byte & 0x3F));
        }
    }
    return utf8;
}
}  // namespace

// One connection and the atoms every read names, asked for once.
class XClipboardReader::Connection {
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
        m_root = screen->root;
        m_visual = screen->root_visual;
        std::array<xcb_intern_atom_cookie_t, kAtomCount> cookies{};
        for (size_t i = 0; i < kAtomCount; ++i)
            cookies[i] = xcb_intern_atom(m_c, 0, uint16_t(std::strlen(kAtomNames[i])), kAtomNames[i]);
        for (size_t i = 0; i < kAtomCount; ++i) {
            std::unique_ptr<xcb_intern_atom_reply_t, EventFree> reply(
                xcb_intern_atom_reply(m_c, cookies[i], nullptr));
            m_atoms[i] = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
        }
    }
    ~Connection() { xcb_disconnect(m_c); }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    bool ok() const { return xcb_connection_has_error(m_c) == 0; }
    xcb_connection_t* c() const { return m_c; }
    xcb_atom_t atom(Atom name) const { return m_atoms[size_t(name)]; }
    xcb_window_t root() const { return m_root; }
    xcb_visualid_t visual() const { return m_visual; }

private:
    xcb_connection_t* m_c;
    xcb_window_t m_root = 0;
    xcb_visualid_t m_visual = 0;
    std::array<xcb_atom_t, kAtomCount> m_atoms{};
};

// One read: an invisible window of its own receives what the owner sends, so that a late answer to
// an earlier read, which gave up waiting, is never taken for this one's.
class XClipboardReader::Read {
public:
    Read(Connection& x, std::chrono::milliseconds silence, const Stopped& stopped)
        : m_x(x), m_c(x.c()), m_window(xcb_generate_id(m_c)), m_silence(silence), m_stopped(stopped) {
        const uint32_t events = XCB_EVENT_MASK_PROPERTY_CHANGE;
        xcb_create_window(m_c, XCB_COPY_FROM_PARENT, m_window, x.root(), 0, 0, 1, 1, 0,
                          XCB_WINDOW_CLASS_INPUT_ONLY, x.visual(), XCB_CW_EVENT_MASK, &events);
        xcb_change_property(m_c, XCB_PROP_MODE_REPLACE, m_window, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8,
                            uint32_t(std::strlen(kWindowName)), kWindowName);
    }
    ~Read() {
        xcb_destroy_window(m_c, m_window);
        // A round trip: a read that has ended has left nothing behind on the server either.
        std::free(xcb_get_input_focus_reply(m_c, xcb_get_input_focus(m_c), nullptr));
    }
    Read(const Read&) = delete;
    Read& operator=(const Read&) = delete;

    enum class Answer { Given, Refused, Silent };
    // Asks the owner for the clipboard as `target`.
    Answer ask(xcb_atom_t target) {
        xcb_convert_selection(m_c, m_window, m_x.atom(Atom::Clipboard), target, m_x.atom(Atom::Property),
                              XCB_CURRENT_TIME);
        xcb_flush(m_c);
        const Event event = waitFor([&](const xcb_generic_event_t* e) {
            const auto* notify = reinterpret_cast<const xcb_selection_notify_event_t*>(e);
            return (e->response_type & 0x7f) == XCB_SELECTION_NOTIFY && notify->requestor == m_window &&
                   notify->target == target;
        });
        if (!event) return Answer::Silent;
        const auto* notify = reinterpret_cast<const xcb_selection_notify_event_t*>(event.get());
        return notify->property == XCB_ATOM_NONE ? Answer::Refused : Answer::Given;
    }
    // Takes (and deletes, which asks an incremental sender for the next piece) the answer.
    Reply take() {
        const auto cookie = xcb_get_property(m_c, 1, m_window, m_x.atom(Atom::Property),
                                             XCB_GET_PROPERTY_TYPE_ANY, 0, 0x1fffffff);
        Reply reply(xcb_get_property_reply(m_c, cookie, nullptr));
        xcb_flush(m_c);
        return reply;
    }
    // The rest of an incremental transfer, piece by piece until the empty one; `type` is the pieces'.
    std::optional<QByteArray> rest(xcb_atom_t& type) {
        QByteArray text;
        for (;;) {
            if (!nextPiece()) return std::nullopt;
            const Reply piece = take();
            if (!piece) return std::nullopt;
            if (xcb_get_property_value_length(piece.get()) == 0) return text;
            type = piece->type;
            text.append(valueOf(piece));
        }
    }

private:
    // Taking a piece deletes it, which the server reports too: only a new value is the next piece.
    bool nextPiece() {
        return bool(waitFor([&](const xcb_generic_event_t* e) {
            const auto* notify = reinterpret_cast<const xcb_property_notify_event_t*>(e);
            return (e->response_type & 0x7f) == XCB_PROPERTY_NOTIFY && notify->window == m_window &&
                   notify->atom == m_x.atom(Atom::Property) && notify->state == XCB_PROPERTY_NEW_VALUE;
        }));
    }
    // The first event that `wanted`, dropping the others.
    template <class Wanted>
    Event waitFor(const Wanted& wanted) {
        const auto deadline = SteadyClock::now() + m_silence;
        while (!m_stopped() && m_x.ok()) {
            while (Event event{xcb_poll_for_event(m_c)}) {
                if (wanted(event.get())) return event;
            }
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - SteadyClock::now());
            if (left.count() <= 0) return {};
            pollfd fd{xcb_get_file_descriptor(m_c), POLLIN, 0};
            poll(&fd, 1, int(std::min(left, kSlice).count()));
        }
        return {};
    }

    Connection& m_x;
    xcb_connection_t* m_c;
    xcb_window_t m_window;
    std::chrono::milliseconds m_silence;
    const Stopped& m_stopped;
};

XClipboardReader::XClipboardReader() = default;
XClipboardReader::~XClipboardReader() = default;

bool XClipboardReader::available() {
    return QGuiApplication::platformName() == QLatin1String("xcb");
}

XClipboardReader::Connection* XClipboardReader::connection() {
    if (!m_x || !m_x->ok()) m_x = std::make_unique<Connection>();
    return m_x->ok() ? m_x.get() : nullptr;
}

XClipboardReader::Offer XClipboardReader::offer(std::chrono::milliseconds silence, const Stopped& stopped) {
    Connection* x = connection();
    if (!x) return Offer::NoAnswer;
    Read read(*x, silence, stopped);
    const Read::Answer answer = read.ask(x->atom(Atom::Targets));
    if (answer != Read::Answer::Given)
        return answer == Read::Answer::Silent ? Offer::NoAnswer : Offer::NoText;
    const Reply reply = read.take();
    if (!reply || reply->format != 32) return Offer::NoText;
    const auto* atoms = static_cast<const xcb_atom_t*>(xcb_get_property_value(reply.get()));
    const int count = xcb_get_property_value_length(reply.get()) / 4;
    for (const Atom target : kTextTargets) {
        if (std::find(atoms, atoms + count, x->atom(target)) != atoms + count) return Offer::Text;
    }
    return Offer::NoText;
}

std::optional<QByteArray> XClipboardReader::text(std::chrono::milliseconds silence, const Stopped& stopped) {
    Connection* x = connection();
    if (!x) return std::nullopt;
    Read read(*x, silence, stopped);
    for (const Atom target : kTextTargets) {
        const Read::Answer answer = read.ask(x->atom(target));
        if (answer == Read::Answer::Silent) return std::nullopt;
        if (answer == Read::Answer::Refused) continue;
        const Reply reply = read.take();
        if (!reply) return std::nullopt;
        xcb_atom_t type = reply->type;
        std::optional<QByteArray> bytes =
            type == x->atom(Atom::Incremental) ? read.rest(type) : valueOf(reply).toByteArray();
        // The answer's type names its encoding, whatever was asked for: STRING is Latin-1 by the X
        // convention.
        if (bytes && type == x->atom(Atom::Latin1)) return latin1ToUtf8(*bytes);
        return bytes;
    }
    return QByteArray();
}
