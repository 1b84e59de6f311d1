#pragma once

#include <cstdint>
#include <string>

// Deterministic benchmark lists: the same size always gives the same bytes, on any machine.
//
// Each list has `items` lines with CR LF line ends. About 5% are empty, about a third repeat a text
// that came earlier in the same list, and the rest are new texts of 8 to 40 characters, half of them
// e-mail-like ("mira.bokatelu@gmail.com") and half word-like ("Amber harbor Bokatelu"). List 2 takes
// about half of its new texts from List 1, so about half of its items also occur in List 1.
namespace ListGenerator {

// The text the benchmark types for Remove Items With/Without; it occurs in about an eighth of the items.
inline constexpr const char* kSearchText = "mail";

// The largest size the benchmark writes (the texts stay distinct up to 2^30 serials across both lists).
inline constexpr std::int64_t kMaxItems = 50'000'000;

// The text of serial number `serial` (1 .. 2^30 - 1): distinct serials give distinct texts.
std::string textFor(std::uint32_t serial);

// Writes both lists of one size. Throws std::runtime_error when a file cannot be written.
void writeLists(std::int64_t items, const std::string& list1Path, const std::string& list2Path);

// "list1-1000000.txt" and the like, inside `folder`.
std::string listPath(const std::string& folder, int listNumber, std::int64_t items);

// Writes the two lists of that size into `folder` unless both are there already; answers whether it
// wrote them. Each file is written under a temporary name and renamed when complete, so a file that
// exists is whole.
bool ensureLists(const std::string& folder, std::int64_t items);

}  // namespace ListGenerator
