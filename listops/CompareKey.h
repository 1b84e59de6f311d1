#pragma once

#include "core/CompareOptions.h"

#include <QByteArray>
#include <QByteArrayView>

// The text two items are compared by under the window's compare options: equal keys, equal items.
// Exact comparison keys an item by its own bytes; ignoring case folds each character (Unicode simple
// case folding); ignoring spaces drops QChar::isSpace characters at both ends. Keys are UTF-8.
namespace CompareKey {

QByteArray of(QByteArrayView utf8, const CompareOptions& options);

// Empty; with ignoreSpaces, also white space only.
bool isBlank(QByteArrayView utf8, const CompareOptions& options);

}  // namespace CompareKey
