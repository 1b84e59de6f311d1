#pragma once

// What of an item the list commands compare: the whole item, or one column of items that are
// delimited records (a CSV or tab-separated export). Each list has its own; the whole item at every
// start.
struct MatchOn {
    // 0: the whole item; else the column, counted from 1.
    int column = 0;
    // The character between columns. Comma and semicolon fields may be in double quotes (RFC 4180);
    // any other separator splits at every occurrence.
    char32_t separator = U',';
    // The first item names the columns: it is never compared, removed or moved.
    bool header = false;

    bool wholeItem() const { return column == 0; }
    // The item's own text from the first item on: the routines' plain path.
    bool plain() const { return column == 0 && !header; }
    bool quoted() const { return separator == U',' || separator == U';'; }
    friend bool operator==(const MatchOn&, const MatchOn&) = default;
};
