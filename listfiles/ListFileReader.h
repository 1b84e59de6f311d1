#pragma once

#include <QtGlobal>

class ListPane;
class QIODevice;
class Yielder;

namespace ListFileReader {

inline constexpr qsizetype kChunkSize = 256 * 1024;

// Appends the lines of a list file to the end of the pane, one item per line. The device must be
// open for reading and seekable: it is read twice, once to decide the encoding and once for the
// lines, a chunk at a time, so the file is never held whole. Lines reach the pane in batches between
// yields. Throws RunTimeError when reading fails; the lines appended before that stay.
void read(QIODevice& device, ListPane& pane, Yielder& yielder, qsizetype chunkSize = kChunkSize);

}  // namespace ListFileReader
