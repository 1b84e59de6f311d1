#include "listops/CompareKey.h"

#include <QString>

namespace CompareKey {

QByteArray of(QByteArrayView utf8, const CompareOptions& options) {
    if (options.exact()) return utf8.toByteArray();
    QString text = QString::fromUtf8(utf8);
    if (options.ignoreCase) text = text.toCaseFolded();
    if (options.ignoreSpaces) text = text.trimmed();
    return text.toUtf8();
}

bool isBlank(QByteArrayView utf8, const CompareOptions& options) {
    if (utf8.isEmpty()) return true;
    return options.ignoreSpaces && QString::fromUtf8(utf8).trimmed().isEmpty();
}

}  // namespace CompareKey
