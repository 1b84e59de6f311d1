#include "GateLists.h"

#include <algorithm>
#include <functional>

namespace {
constexpr std::size_t kItemLength = 1000;
constexpr std::size_t kSides = 200;
}  // namespace

namespace GateLists {

std::string repetitiveBytes(int items) {
    std::string plain(kItemLength, ' ');
    std::string marked = plain;
    marked[kItemLength / 2] = 'x';
    plain += "\r\n";
    marked += "\r\n";
    std::string bytes;
    bytes.reserve(std::size_t(items) * plain.size());
    for (int i = 0; i < items; ++i) bytes += i % 2 ? marked : plain;
    return bytes;
}

std::string repetitiveText() {
    return std::string(kSides, ' ') + 'x' + std::string(kSides, ' ');
}

std::string alternatingBytes(int items) {
    std::string bytes;
    bytes.reserve(std::size_t(items) * 3);
    for (int i = 0; i < items; ++i) bytes += i % 2 ? "\r\n" : "a\r\n";
    return bytes;
}

std::vector<std::string_view> withoutText(const std::vector<std::string_view>& lines, std::string_view text) {
    // Boyer-Moore with its good-suffix shifts finds a first match in linear time, where a find that
    // compares at each place of the first character takes the text's length per byte.
    const std::boyer_moore_searcher search(text.begin(), text.end());
    std::vector<std::string_view> out;
    out.reserve(lines.size());
    for (std::string_view line : lines)
        if (std::search(line.begin(), line.end(), search) == line.end()) out.push_back(line);
    return out;
}

}  // namespace GateLists
