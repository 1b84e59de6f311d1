#pragma once

#include "core/Platform.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

// The hash of the item texts, inline: it runs once for every item of every hash routine.
namespace TextHash {

// Every item is hashed, and the texts are short: a multiply-and-fold hash (after wyhash) takes a
// fraction of the time Qt's seeded hash needs for byte strings of this length.
inline constexpr std::uint64_t kSecret0 = 0xa0761d6478bd642full;
inline constexpr std::uint64_t kSecret1 = 0xe7037ed1a0b428dbull;

inline std::uint64_t fold(std::uint64_t a, std::uint64_t b) {
    const Platform::Wide product = Platform::multiplyWide(a, b);
    return product.low ^ product.high;
}

inline std::uint64_t read64(const char* p) {
    std::uint64_t v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

inline std::uint64_t read32(const char* p) {
    std::uint32_t v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

// The seed's own mixing step, done once per table.
inline std::uint64_t mixedSeed(std::uint64_t seed) {
    return seed ^ fold(seed ^ kSecret0, kSecret1);
}

// What hashBytes() reads is what `load` makes of each word read: the bytes as they are, or (for
// keys that fold letters) changed alike in every read, as if the text had been changed first.
struct AsIs {
    std::uint64_t operator()(std::uint64_t w) const { return w; }
};

template <class Load = AsIs>
inline std::uint64_t hashBytes(const char* p, size_t n, std::uint64_t seed, Load load = {}) {
    std::uint64_t a = 0, b = 0;
    if (n > 16) {
        size_t left = n;
        for (; left > 16; left -= 16, p += 16)
            seed = fold(load(read64(p)) ^ kSecret1, load(read64(p + 8)) ^ seed);
        a = load(read64(p + left - 16));
        b = load(read64(p + left - 8));
    } else if (n >= 4) {
        // Two overlapping reads from each end cover 4 to 16 bytes.
        const size_t quarter = (n >> 3) << 2;
        a = load((read32(p) << 32) | read32(p + quarter));
        b = load((read32(p + n - 4) << 32) | read32(p + n - 4 - quarter));
    } else if (n > 0) {
        a = load((std::uint64_t(std::uint8_t(p[0])) << 16) | (std::uint64_t(std::uint8_t(p[n >> 1])) << 8) |
                 std::uint8_t(p[n - 1]));
    }
    const Platform::Wide product = Platform::multiplyWide(a ^ kSecret1, b ^ seed);
    return fold(product.low ^ kSecret0 ^ n, product.high ^ kSecret1);
}

}  // namespace TextHash
