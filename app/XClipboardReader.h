#pragma once

#include <QByteArray>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>

// Reads the X clipboard on a connection of its own, kept from one read to the next, so that a
// program that holds the clipboard and answers slowly or never holds the reading thread only, never
// the window. Every wait is bounded: `silence` without a word from the clipboard's owner ends the
// read, however long the whole transfer takes while the owner keeps sending; `stopped` answering
// true ends it within a slice of a wait. One thread at a time may read.
class XClipboardReader {
public:
    enum class Offer { Text, NoText, NoAnswer };
    using Stopped = std::function<bool()>;

    XClipboardReader();
    ~XClipboardReader();
    XClipboardReader(const XClipboardReader&) = delete;
    XClipboardReader& operator=(const XClipboardReader&) = delete;

    // Whether this program runs on an X server it can reach.
    static bool available();
    // Whether the clipboard's owner offers text; asks for its formats only.
    Offer offer(std::chrono::milliseconds silence, const Stopped& stopped);
    // The clipboard's text as UTF-8 where the owner offers UTF-8 or Latin-1 (`STRING`), else as its
    // bytes; empty when it holds no text; none when the owner stopped answering or `stopped` did.
    std::optional<QByteArray> text(std::chrono::milliseconds silence, const Stopped& stopped);

private:
    class Connection;
    class Read;
    // The connection, opened on first use and again after the X server dropped it; null when the
    // server cannot be reached.
    Connection* connection();

    std::unique_ptr<Connection> m_x;
};
