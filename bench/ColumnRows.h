#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

// The benchmark's lists turned into three-column rows, one per item: "name,<item>,2026-01-01", the
// item as column 2. Every row of one text is the same row (its name and quoting follow from the
// text), so matching whole rows and matching column 2 pick the same items: their times differ by the
// cost of finding the column alone. Some names are quoted with a comma inside ("Ober, Anna"), some
// with doubled quotes, and a quarter of the items are quoted; an empty item stays an empty line.
namespace ColumnRows {

// The list commands that compare items, by their names in the benchmark's table.
inline constexpr std::array<std::string_view, 9> kCommands{
    "remove matches", "keep only matches", "dupes keep first", "dupes keep last", "remove blanks",
    "items with",     "items without",     "sort a to z",      "keep items once"};

// The row of one item.
std::string rowFor(std::string_view item);

// "rows1-1000000.txt" and the like, inside `folder`.
std::string rowsPath(const std::string& folder, int listNumber, std::int64_t items);

// Writes the rows of both lists of that size (from the lists, which must be there) unless they are
// there already; answers whether it wrote them.
bool ensureRows(const std::string& folder, std::int64_t items);

}  // namespace ColumnRows
