#pragma once

#include <QtGlobal>

class ItemStore;
class QIODevice;
class Yielder;

namespace ListFileWriter {

inline constexpr qsizetype kBufferSize = 1024 * 1024;

// Writes every item followed by CR LF, the last one too, in large pieces, yielding on the time
// budget; a file's written bytes start on their way to the disk as the writing goes on. The items
// are already UTF-8, the system code page, and are written without a byte-order mark. Throws
// RunTimeError when the device takes fewer bytes than it was given.
void write(QIODevice& device, const ItemStore& items, Yielder& yielder, qsizetype bufferSize = kBufferSize);

}  // namespace ListFileWriter
