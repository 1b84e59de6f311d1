#include "listfiles/MemoryCheck.h"

#include "core/Services.h"
#include "listfiles/FileErrors.h"
#include "listfiles/ListFileEncoding.h"
#include "listfiles/ListFileReader.h"
#include "store/ItemStore.h"

#include <QIODevice>

namespace {
// The most that `bytes` of the file take in a pane once decoded: a byte of a line read as
// Windows-1252 up to three, two bytes of UTF-16 up to three (a character of the first half of
// Unicode), four of UTF-32 at most four, and a unit cut short at the end three (U+FFFD).
qint64 decodedAtMost(ListFileEncoding encoding, qint64 bytes) {
    switch (unitSize(encoding)) {
        case 1:
            return 3 * bytes;
        case 2:
            return bytes + (bytes + 1) / 2 + 3;
        default:
            return bytes + 3;
    }
}

// The least: every line costs a pane more than its line end, so each code unit takes at least a byte.
qint64 decodedAtLeast(ListFileEncoding encoding, qint64 bytes) {
    return bytes / unitSize(encoding);
}
}  // namespace

namespace MemoryCheck {

void requireRoomFor(QIODevice& file, const MemoryProbe& memory, Yielder& yielder) {
    const std::optional<qint64> available = memory.availableBytes();
    if (!available) return;
    const qint64 size = file.size();
    const FileStart start = ListFileReader::readStart(file, yielder);
    const ListFileEncoding encoding = start.encoding;
    // Too large even at no cost per line: refused at once, whatever the file's size.
    if (decodedAtLeast(encoding, size - start.markSize) > *available) throw FileErrors::outOfMemory();
    // No file holds more lines than bytes, plus one: when even that many fit, counting would only cost
    // time.
    const qint64 most = decodedAtMost(encoding, size);
    if (ItemStore::bytesFor(size + 1, most) + most <= *available) return;
    const bool perLine = encoding == ListFileEncoding::PerLine;
    // What the lines counted so far take, and the rest of the file at its least: the count stops as
    // soon as that is too much.
    const auto estimate = [&](const ListFileReader::LineCount& count) {
        const qint64 counted = perLine ? count.decodedBytes : decodedAtMost(encoding, count.bytes);
        const qint64 longest = perLine ? count.longestLine : decodedAtMost(encoding, count.longestLine);
        const qint64 rest = decodedAtLeast(encoding, qMax<qint64>(0, size - count.bytes));
        return ItemStore::bytesFor(count.lines, counted + rest) + longest;
    };
    const auto tooMuch = [&](const ListFileReader::LineCount& count) { return estimate(count) > *available; };
    if (tooMuch(ListFileReader::countLines(file, yielder, tooMuch))) throw FileErrors::outOfMemory();
}

}  // namespace MemoryCheck
