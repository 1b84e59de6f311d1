#pragma once

#include <string>
#include <string_view>
#include <vector>

// Lists the speed gate makes for one point each, beside the generated ones. Each is the bytes of a
// file with CR LF line ends.
namespace GateLists {

// `items` items of 1,000 spaces, every other one with an "x" in its middle, and the text that only
// those hold: 200 spaces, "x", 200 spaces. A search that compares the text at every place where its
// first and last characters agree compares about 200 bytes for each byte of these items.
std::string repetitiveBytes(int items);
std::string repetitiveText();

// `items` items, every other one empty: a removal of very many positions with little else to do.
std::string alternatingBytes(int items);

// `items` items of `length` characters, each `a` or `A` at random: equal but for case, so a sort folds
// and compares each pair whole.
std::string nearEqualBytes(int items, int length);
// The lines in the order Sort A to Z gives texts without digits: by their bytes folded to lower case,
// then by their bytes, then as they came.
std::vector<std::string_view> foldedOrder(std::vector<std::string_view> lines);

// The lines that do not contain `text`, found by a search that stays linear on any text.
std::vector<std::string_view> withoutText(const std::vector<std::string_view>& lines, std::string_view text);

}  // namespace GateLists
