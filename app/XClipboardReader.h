#pragma once

#include <QByteArray>

#include <atomic>
#include <chrono>
#include <optional>

// Reads the X clipboard on a connection of its own, from a thread of its own, so that a program that
// holds the clipboard and answers slowly or never holds that thread only, never the window. Every
// wait is bounded: `silence` without a word from the clipboard's owner ends the read, however long
// the whole transfer takes while the owner keeps sending.
namespace XClipboardReader {

enum class Offer { Text, NoText, NoAnswer };

// Whether this program runs on an X server it can reach.
bool available();
// Whether the clipboard's owner offers text; asks for its formats only.
Offer offer(std::chrono::milliseconds silence);
// The clipboard's text as the owner's bytes (UTF-8 where it offers that); empty when it holds no
// text; none when the owner stopped answering or `stop` was set.
std::optional<QByteArray> text(std::chrono::milliseconds silence, const std::atomic<bool>& stop);

}  // namespace XClipboardReader
