#pragma once

#include "store/ItemStore.h"

#include <QByteArray>

// Finds the items of a block that contain a text: one scan over the block's bytes for places where
// the text's first and last bytes sit at the right distance, a check of each such place that lies
// inside one item, and the next item once one matched. Where the checks cost more than the scan (a
// text like "x" + 60 spaces in items of spaces), an item is searched with the two-way algorithm
// instead, so the time stays linear in the bytes searched whatever the text.
class ItemSearch {
public:
    enum class Letters {
        Exact,
        // A to Z in the items count as a to z (and the text's own are taken in lower case): a text
        // folded for ignoring case is found in items of ASCII without folding or copying them.
        IgnoringAsciiCase,
    };
    explicit ItemSearch(QByteArray needle, Letters letters = Letters::Exact);

    enum class Result {
        Found,   // item k contains the text
        None,    // no item before `to` does; k = to
        Paused,  // the byte budget is used up inside item k, at byte `at`: call again to go on
    };

    // Looks from byte `at` of item k of `block` (at lies within item k) on for the first item before
    // `to` that contains the text, scanning about `budget` bytes at most.
    Result next(const ItemBlock& block, qsizetype& k, qsizetype& at, qsizetype to, qsizetype budget);

    // Whether `haystack` contains the text (two-way only; for the occasional single text).
    bool contains(QByteArrayView haystack) const;

private:
    // The first start in [from, lastStart] of `y` where the text occurs, or -1; y holds at least
    // lastStart + length bytes.
    qsizetype twoWay(const char* y, qsizetype from, qsizetype lastStart) const;
    template <class Map>
    qsizetype twoWayMapped(const char* y, qsizetype from, qsizetype lastStart) const;
    // The first place in [from, lastStart] where the first and the last byte agree, or -1.
    qsizetype candidate(const char* y, qsizetype from, qsizetype lastStart) const;
    bool matchesAt(const char* y) const;

    QByteArray m_needle;
    qsizetype m_length = 0;
    bool m_caseless = false;
    // Ignoring case, 0x20 where the first or last byte is a lower-case letter: a byte ORed with it
    // equals that byte exactly for the letter and its capital.
    char m_firstMask = 0;
    char m_lastMask = 0;
    // The two-way algorithm's critical factorisation: the text splits after m_split, and m_period is
    // the period of the text when m_periodic, otherwise the shift after a mismatch on the left part.
    qsizetype m_split = 0;
    qsizetype m_period = 1;
    bool m_periodic = false;
    // Bytes scanned and bytes compared at candidate places so far; once the compares cost more than a
    // few times the scan, items are searched with the two-way algorithm.
    qsizetype m_scanned = 0;
    qsizetype m_compared = 0;
};
