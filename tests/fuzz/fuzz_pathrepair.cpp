// RemoveDoubleBackslashes on arbitrary text, with both separators: it only ever takes separators out,
// halves every inner run of them (rounding up), and gives a path that starts with separators exactly
// the leading ones the platform's rule promises.
#include "listfiles/PathRepair.h"

#include <cstdio>
#include <cstdlib>

namespace {
void check(bool condition, const char* what) {
    if (condition) return;
    std::fprintf(stderr, "property broken: %s\n", what);
    std::abort();
}

QString withoutSeparators(QString text, QChar separator) {
    return text.remove(separator);
}

// The lengths of the runs of separators after the first other character.
QList<qsizetype> innerRuns(const QString& text, QChar separator) {
    QList<qsizetype> runs;
    qsizetype i = 0;
    while (i < text.size() && text[i] == separator) ++i;
    while (i < text.size()) {
        qsizetype run = 0;
        while (i < text.size() && text[i] == separator) ++run, ++i;
        if (run > 0) runs.append(run);
        if (i < text.size()) ++i;
    }
    return runs;
}

void checkRepair(const QString& path, QChar separator) {
    const QString repaired = RemoveDoubleBackslashes(path, separator);
    check(repaired.size() <= path.size() || path.startsWith(separator), "the path grew");
    check(withoutSeparators(repaired, separator) == withoutSeparators(path, separator),
          "not only separators changed");
    QList<qsizetype> halved = innerRuns(path, separator);
    for (qsizetype& run : halved) run = (run + 1) / 2;
    check(innerRuns(repaired, separator) == halved, "an inner run of separators was not halved");
    if (!path.startsWith(separator)) return;
    const qsizetype leading = separator == u'\\' ? 2 : 1;
    check(repaired.size() >= leading && repaired.left(leading) == QString(leading, separator),
          "wrong leading separators");
    check(repaired.size() == leading || repaired.at(leading) != separator, "too many leading separators");
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString path = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    checkRepair(path, u'\\');
    checkRepair(path, u'/');
    return 0;
}
