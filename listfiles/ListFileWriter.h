#pragma once

#include <QByteArrayView>

class ItemStore;
class QIODevice;
class QSaveFile;
class Yielder;

namespace ListFileWriter {

inline constexpr qsizetype kBufferSize = 1024 * 1024;
// The window's line end; the command-line program writes LF unless asked for this.
inline constexpr QByteArrayView kCrLf("\r\n");
inline constexpr QByteArrayView kLf("\n");

// Writes every item followed by `lineEnd` (CR LF unless told), the last one too, in large pieces, yielding on
// the time budget; a file's written bytes start on their way to the disk as the writing goes on. The items
// are already UTF-8, the system code page, and are written without a byte-order mark. Throws
// RunTimeError when the device takes fewer bytes than it was given.
void write(QIODevice& device, const ItemStore& items, Yielder& yielder, qsizetype bufferSize = kBufferSize,
           QByteArrayView lineEnd = kCrLf);

// A save writes to a temporary file beside its target, which replaces the target at commit() only
// once every byte is written, so a failure leaves the old file as it was. Opens `file` for that; a
// pipe, a device or a folder is never replaced by a file. Throws RunTimeError.
void openForSave(QSaveFile& file);
// Puts the written file in its target's place. Throws RunTimeError.
void commit(QSaveFile& file);

}  // namespace ListFileWriter
