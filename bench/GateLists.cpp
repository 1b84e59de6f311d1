#include "GateLists.h"

#include <algorithm>
#include <cstdint>
#include <functional>

namespace {
using uchar = unsigned char;
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

std::string nearEqualBytes(int items, int length) {
    std::uint64_t state = 0x9E3779B97F4A7C15u;
    std::string bytes;
    bytes.reserve(std::size_t(items) * std::size_t(length + 2));
    for (int i = 0; i < items; ++i) {
        for (int k = 0; k < length; ++k) {
            state = state * 6364136223846793005u + 1442695040888963407u;
            bytes += (state >> 63) ? 'A' : 'a';
        }
        bytes += "\r\n";
    }
    return bytes;
}

std::vector<std::string_view> foldedOrder(std::vector<std::string_view> lines) {
    const auto lower = [](char c) { return uchar(c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c); };
    std::stable_sort(lines.begin(), lines.end(), [&](std::string_view x, std::string_view y) {
        const std::size_t n = std::min(x.size(), y.size());
        for (std::size_t k = 0; k < n; ++k)
            if (lower(x[k]) != lower(y[k])) return lower(x[k]) < lower(y[k]);
        if (x.size() != y.size()) return x.size() < y.size();
        return x < y;
    });
    return lines;
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
