#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringView>

class ItemStore;
class ListPane;
class Yielder;

// A list as text that other programs hand over or take: the clipboard's text and dropped text.
namespace ListText {

// Text is encoded and decoded this many characters or bytes at a time, with a chance to yield
// after each piece.
inline constexpr qsizetype kPieceSize = 256 * 1024;

// The line end of text handed to other programs.
#ifdef Q_OS_WIN
inline constexpr const char* kLineEnd = "\r\n";
#else
inline constexpr const char* kLineEnd = "\n";
#endif

// Appends the lines of `text` to the end of the pane exactly as a list file's lines are appended:
// CR LF, CR or LF ends a line, a line end at the very end gives no empty item, and a leading U+FEFF
// (a byte-order mark) is no character of the first item.
void append(QStringView text, ListPane& pane, Yielder& yielder, qsizetype pieceSize = kPieceSize);
// The same for text as bytes, each line judged as a list file's line is: a line that is valid UTF-8
// is taken as it is, any other (as other programs offer text in a Windows code page) is read as
// Windows-1252.
void append(QByteArrayView bytes, ListPane& pane, Yielder& yielder, qsizetype pieceSize = kPieceSize);

// The items as UTF-8 text, each followed by kLineEnd, so that pasting it back gives the same items.
QByteArray join(const ItemStore& items, Yielder& yielder, qsizetype pieceSize = kPieceSize);

}  // namespace ListText
