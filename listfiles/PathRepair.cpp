#include "listfiles/PathRepair.h"

namespace PathRepair {

QString joinChosenPath(const QString& folder, const QString& name, QChar separator) {
    return folder + separator + name;
}

}  // namespace PathRepair

namespace {
QString singlePairs(QString text, QChar separator) {
    // QString::replace scans left to right and never reuses a replaced character.
    return text.replace(QString(2, separator), QString(separator));
}
}  // namespace

QString RemoveDoubleBackslashes(const QString& path, QChar separator) {
    if (!path.startsWith(separator)) return singlePairs(path, separator);
    qsizetype k = 1;
    while (k < path.size() && path.at(k) == separator) ++k;
    // Windows keeps a network path's "\\server" form; Unix paths have no such form, so a run of
    // leading slashes means the root.
    const qsizetype leading = separator == u'\\' ? 2 : 1;
    return QString(leading, separator) + singlePairs(path.mid(k), separator);
}
