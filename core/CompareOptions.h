#pragma once

// How the list commands tell two items apart. Both off is exact comparison: same length, same
// character codes. The window holds one set for both panes, off at every start.
struct CompareOptions {
    // Equal under Unicode simple case folding (QString::compare with Qt::CaseInsensitive).
    bool ignoreCase = false;
    // White space (QChar::isSpace) at an item's start and end does not count.
    bool ignoreSpaces = false;

    bool exact() const { return !ignoreCase && !ignoreSpaces; }
    friend bool operator==(const CompareOptions&, const CompareOptions&) = default;
};
