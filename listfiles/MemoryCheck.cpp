#include "listfiles/MemoryCheck.h"

#include "core/Services.h"
#include "listfiles/FileErrors.h"
#include "listfiles/ListFileReader.h"
#include "panes/ItemStore.h"

#include <QIODevice>

namespace MemoryCheck {

void requireRoomFor(QIODevice& file, const MemoryProbe& memory, Yielder& yielder) {
    const std::optional<qint64> available = memory.availableBytes();
    if (!available) return;
    const qint64 size = file.size();
    // No file holds more lines than bytes, plus one: when even that many fit, counting would only cost
    // time. A line that outgrows the reader's chunks is held once more while it is read.
    if (ItemStore::bytesFor(size + 1, size) + size <= *available) return;
    const ListFileReader::LineCount count = ListFileReader::countLines(file, yielder);
    if (ItemStore::bytesFor(count.lines, size) + count.longestLine > *available)
        throw FileErrors::outOfMemory();
}

}  // namespace MemoryCheck
