#pragma once

#include <QtGlobal>

class ListPane;
class QIODevice;
class Yielder;

namespace ListFileReader {

inline constexpr qsizetype kChunkSize = 256 * 1024;

// Appends the lines of a list file to the end of the pane, one item per line, each line in UTF-8 as
// ListFileEncoding.h describes. The device is read from its start (a sequential one, such as a pipe,
// from where it stands), a chunk at a time, so the file is
// never held whole. Lines reach the pane in batches between yields; a very long line goes on its own.
// Throws RunTimeError when reading fails; the lines appended before that stay.
void read(QIODevice& device, ListPane& pane, Yielder& yielder, qsizetype chunkSize = kChunkSize);

struct LineCount {
    qint64 lines = 0;
    // In bytes, line end not included.
    qint64 longestLine = 0;
};

// The number of lines that read() would append and the longest one's length, counted from the
// device's start without keeping any (for a UTF-16 file, from its bytes: more than there are).
LineCount countLines(QIODevice& device, Yielder& yielder, qsizetype chunkSize = kChunkSize);

}  // namespace ListFileReader
