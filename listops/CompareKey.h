#pragma once

#include "core/CompareOptions.h"

#include <QByteArray>
#include <QByteArrayView>

#include <cstdint>

// The text two items are compared by under the window's compare options: equal keys, equal items.
// Exact comparison keys an item by its own bytes. Ignoring letter case folds each character as
// QString::compare(..., Qt::CaseInsensitive) does (Unicode simple case folding, QChar::toCaseFolded);
// ignoring spaces drops QChar::isSpace characters at both ends, as QString::trimmed() does. Keys are
// UTF-8. An item of ASCII only takes no Unicode work, and most keys need no copy at all.
namespace CompareKey {

// The key of an item, as its own array.
QByteArray of(QByteArrayView utf8, const CompareOptions& options);

// The key of an item without allocating: a view of `utf8` itself where the key is a stretch of it
// (exact, trimmed only, or nothing to fold), else of `scratch`, which it overwrites. The view stays
// valid while both `utf8` and `scratch` are untouched.
QByteArrayView view(QByteArrayView utf8, const CompareOptions& options, QByteArray& scratch);

// Whether `utf8` is its own case-folded form, for certain: ASCII without capitals.
bool isFolded(QByteArrayView utf8);

// Appends `utf8` with its letters case-folded, as ignoring case compares them.
void appendFolded(QByteArrayView utf8, QByteArray& out);

// Empty; with ignoreSpaces, also white space only.
bool isBlank(QByteArrayView utf8, const CompareOptions& options);

// `utf8` without the QChar::isSpace characters at its start and end.
QByteArrayView trimmed(QByteArrayView utf8);

// Whether the key of every text in `utf8` (items back to back) can be found byte-wise: ASCII only
// means no character outside it to fold or trim.
bool isAscii(QByteArrayView utf8);

// What a hash table of items needs (both for options that are not exact): the hash of an item's key
// and whether two items' keys are equal, without making the keys where the texts are ASCII.
std::uint64_t hash(QByteArrayView utf8, const CompareOptions& options, std::uint64_t seed);
bool same(QByteArrayView a, QByteArrayView b, const CompareOptions& options);

}  // namespace CompareKey
