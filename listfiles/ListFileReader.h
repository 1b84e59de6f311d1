#pragma once

#include "listfiles/ListFileEncoding.h"

#include <QtGlobal>

#include <functional>

class ListPane;
class MemoryProbe;
class QIODevice;
class QString;
class Yielder;

namespace ListFileReader {

inline constexpr qsizetype kChunkSize = 256 * 1024;

// Appends the lines of a list file to the end of the pane, one item per line, each line in UTF-8 as
// ListFileEncoding.h describes. The device is read from its start (a sequential one, such as a pipe,
// from where it stands), a chunk at a time, so the file is
// never held whole. Lines reach the pane in batches between yields; a very long line goes on its own.
// Throws RunTimeError when reading fails; the lines appended before that stay. Answers the bytes read.
qint64 read(QIODevice& device, ListPane& pane, Yielder& yielder, qsizetype chunkSize = kChunkSize);

// Reads the list file at `path` as every load does: only a regular file, and none of it when its
// items would not fit in the memory left (MemoryCheck). Throws RunTimeError as read() does, and when
// the file cannot be opened. False when the file became shorter while it was read.
bool readFile(const QString& path, ListPane& pane, const MemoryProbe& memory, Yielder& yielder);

// The file's encoding, from its first bytes; after a UTF-32 little-endian mark, from as many more as
// it takes to tell UTF-32 from UTF-16 (see Utf32Check). The device must be able to seek.
FileStart readStart(QIODevice& device, Yielder& yielder);

struct LineCount {
    qint64 lines = 0;
    // The most that the longest line takes beside the pane while read() reads it (LineCounter).
    qint64 longestLine = 0;
    // The bytes counted, and the most that they take once decoded (as they are, for a file that is
    // not read line by line).
    qint64 bytes = 0;
    qint64 decodedBytes = 0;
};

// The number of lines that read() would append and what they take, counted from the device's start
// without keeping any (for a UTF-16 or UTF-32 file from its bytes: more lines than there are). Stops
// early, with what it has counted, as soon as `enough` is true of the count so far.
LineCount countLines(QIODevice& device, Yielder& yielder,
                     const std::function<bool(const LineCount&)>& enough = {},
                     qsizetype chunkSize = kChunkSize);

}  // namespace ListFileReader
