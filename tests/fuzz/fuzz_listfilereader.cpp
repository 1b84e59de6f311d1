// Feeds arbitrary bytes, cut into arbitrary chunks, to the list-file reader. No item may hold a CR or
// an LF, and saving the items and loading them again must give the same items.
#include "core/RunTimeError.h"
#include "core/Yielder.h"
#include "listfiles/ListFileReader.h"
#include "listfiles/ListFileWriter.h"
#include "store/StorePane.h"

#include <QBuffer>
#include <QCoreApplication>

#include <chrono>
#include <cstdio>
#include <cstdlib>

namespace {
void check(bool condition, const char* what) {
    if (condition) return;
    std::fprintf(stderr, "property broken: %s\n", what);
    std::abort();
}

void load(const QByteArray& bytes, StorePane& pane, qsizetype chunk) {
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    Yielder yielder(std::chrono::hours(1));
    ListFileReader::read(buffer, pane, yielder, chunk);
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static int argc = 1;
    static char name[] = "fuzz";
    static char* argv[] = {name, nullptr};
    static QCoreApplication application(argc, argv);
    if (size == 0) return 0;
    // The first byte picks the chunk size, so chunk boundaries fall everywhere.
    const qsizetype chunk = 1 + data[0] % 64;
    const QByteArray bytes(reinterpret_cast<const char*>(data) + 1, qsizetype(size) - 1);

    StorePane first;
    load(bytes, first, chunk);
    for (int i = 1; i <= first.count(); ++i) {
        const QByteArrayView text = first.text(i);
        check(!text.contains('\r') && !text.contains('\n'), "an item holds a line end");
    }
    // A first item starting with U+FEFF would be read back as a byte-order mark: not a valid list.
    if (first.count() > 0 && first.text(1).startsWith(QByteArrayView("\xEF\xBB\xBF"))) return 0;

    QBuffer saved;
    saved.open(QIODevice::WriteOnly);
    Yielder yielder(std::chrono::hours(1));
    ListFileWriter::write(saved, first.snapshot(), yielder);
    StorePane second;
    load(saved.data(), second, chunk);
    check(second.count() == first.count(), "round trip changed the item count");
    for (int i = 1; i <= first.count(); ++i)
        check(second.text(i) == first.text(i), "round trip changed an item");
    return 0;
}
