#include "ListGenerator.h"

#include <array>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string_view>
#include <vector>

namespace ListGenerator {

namespace {

constexpr std::uint32_t kSerialBits = 24;
constexpr std::uint32_t kSerialMask = (1u << kSerialBits) - 1;
// Serials beyond 24 bits get a fifth syllable: up to 2^30 serials in all.
constexpr std::uint32_t kExtraBits = 6;
constexpr std::size_t kMaxLength = 40;

constexpr std::array<std::string_view, 32> kWords{
    "amber",  "harbor", "lantern", "north",  "river",  "copper", "maple",  "silent",
    "orange", "winter", "garden",  "stone",  "velvet", "quick",  "meadow", "falcon",
    "cedar",  "echo",   "crimson", "willow", "summit", "ivory",  "pepper", "delta",
    "hollow", "marble", "raven",   "tiger",  "olive",  "pixel",  "nova",   "cobalt"};
constexpr std::array<std::string_view, 16> kNames{"anna",  "ben",  "carla", "dmitri", "emma", "felix",
                                                  "grace", "hugo", "ines",  "jonas",  "kim",  "leo",
                                                  "mira",  "noah", "olga",  "paul"};
constexpr std::array<std::string_view, 16> kDomains{
    "gmail.com",   "mail.com",  "hotmail.com", "example.org", "post.net",         "web.de",
    "outlook.com", "proton.me", "yahoo.co.uk", "inbox.eu",    "corp.example.com", "uni-bonn.de",
    "icloud.com",  "gmx.net",   "aol.com",     "zoho.in"};

std::uint64_t splitmix(std::uint64_t& state) {
    std::uint64_t z = (state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

// A fixed generator, so every machine writes the same lists (std's distributions are not portable).
class Rng {
public:
    explicit Rng(std::uint64_t seed) : m_state(seed) {}
    std::uint64_t next() { return splitmix(m_state); }
    double unit() { return double(next() >> 11) * 0x1.0p-53; }
    std::size_t below(std::size_t n) { return std::size_t(next() % n); }

private:
    std::uint64_t m_state;
};

// A bijection on 24 bits: neighbouring serials get unrelated-looking tokens, and no two collide.
std::uint32_t scramble(std::uint32_t x) {
    x = (x * 0x9E3779u) & kSerialMask;
    x ^= x >> 12;
    x = (x * 0x5BD1E5u) & kSerialMask;
    return x ^ (x >> 11);
}

// Four consonant-vowel syllables, six bits each: eight lowercase letters that name the serial's low
// 24 bits. A serial with higher bits gets a fifth syllable for them, so the lists up to 16,777,215
// serials stay as they always were, and a ten-letter token never equals an eight-letter one.
std::string token(std::uint32_t serial) {
    static constexpr std::string_view kConsonants = "bdfghjklmnprstvz";
    static constexpr std::string_view kVowels = "aeio";
    const auto syllable = [](std::string& out, std::uint32_t bits) {
        out += kConsonants[bits & 15];
        out += kVowels[(bits >> 4) & 3];
    };
    std::uint32_t bits = scramble(serial & kSerialMask);
    std::string out;
    for (int i = 0; i < 4; ++i, bits >>= 6) syllable(out, bits);
    if (const std::uint32_t high = serial >> kSerialBits; high != 0) syllable(out, high);
    return out;
}

// The token stands right before the '@', after an optional name and before optional digits, so it
// can always be read back: distinct tokens give distinct addresses.
std::string emailLike(const std::string& tok, std::uint64_t h) {
    std::string out;
    const unsigned form = h & 3;
    if (form == 1 || form == 2) out.append(kNames[(h >> 2) & 15]).append(form == 1 ? "." : "_");
    out += tok;
    if (form == 3) out.append(std::to_string(10 + (h >> 6) % 90));
    return out.append("@").append(kDomains[(h >> 13) & 15]);
}

// Words, then the token last, so distinct tokens give distinct texts.
std::string wordLike(const std::string& tok, std::uint64_t h) {
    const char separator = (h & 7) == 0 ? '-' : ' ';
    std::string out;
    const unsigned wanted = (h >> 3) % 6;
    h >>= 6;
    for (unsigned i = 0; i < wanted; ++i, h >>= 5) {
        const std::string_view word = kWords[h & 31];
        if (out.size() + word.size() + 1 + tok.size() > kMaxLength) break;
        out.append(word) += separator;
    }
    out += tok;
    out[0] = char(out[0] - 'a' + 'A');
    return out;
}

class LineFile {
public:
    explicit LineFile(const std::string& path) : m_file(std::fopen(path.c_str(), "wb"), &std::fclose) {
        if (!m_file) throw std::runtime_error("cannot create " + path);
        m_buffer.reserve(kFlushAt + 64);
    }
    void line(std::string_view text) {
        m_buffer.append(text).append("\r\n");
        if (m_buffer.size() >= kFlushAt) flush();
    }
    void close() {
        flush();
        if (std::fclose(m_file.release()) != 0) throw std::runtime_error("cannot write a list file");
    }

private:
    static constexpr std::size_t kFlushAt = 1 << 20;
    void flush() {
        if (std::fwrite(m_buffer.data(), 1, m_buffer.size(), m_file.get()) != m_buffer.size())
            throw std::runtime_error("cannot write a list file");
        m_buffer.clear();
    }

    std::unique_ptr<std::FILE, int (*)(std::FILE*)> m_file;
    std::string m_buffer;
};

struct ListPlan {
    std::int64_t items;
    std::uint64_t seed;
    // Where a new text may come from instead of a fresh serial, and how often.
    const std::vector<std::uint32_t>* borrowFrom = nullptr;
    double borrowShare = 0;
};

// Writes one list and answers the serials of its distinct texts, in order of first occurrence.
std::vector<std::uint32_t> writeList(const ListPlan& plan, std::uint32_t& nextSerial, LineFile& out) {
    constexpr double kBlankShare = 0.05;
    constexpr double kRepeatShare = 1.0 / 3.0;
    Rng rng(plan.seed);
    std::vector<std::uint32_t> seen;
    seen.reserve(std::size_t(plan.items));
    for (std::int64_t k = 0; k < plan.items; ++k) {
        const double r = rng.unit();
        if (r < kBlankShare) {
            out.line({});
            continue;
        }
        std::uint32_t serial = 0;
        if (r < kBlankShare + kRepeatShare && !seen.empty()) {
            serial = seen[rng.below(seen.size())];
        } else {
            const bool borrow = plan.borrowFrom && !plan.borrowFrom->empty() && rng.unit() < plan.borrowShare;
            serial = borrow ? (*plan.borrowFrom)[rng.below(plan.borrowFrom->size())] : nextSerial++;
            seen.push_back(serial);
        }
        out.line(textFor(serial));
    }
    return seen;
}

}  // namespace

std::string textFor(std::uint32_t serial) {
    std::uint64_t state = serial;
    const std::uint64_t h = splitmix(state);
    const std::string tok = token(serial);
    return (h >> 63) ? emailLike(tok, h) : wordLike(tok, h);
}

void writeLists(std::int64_t items, const std::string& list1Path, const std::string& list2Path) {
    if (items < 0 || items > kMaxItems) throw std::runtime_error("list size out of range");
    static_assert(2 * kMaxItems < (std::int64_t(1) << (kSerialBits + kExtraBits)),
                  "serials must stay distinct");
    std::uint32_t nextSerial = 1;
    LineFile file1(list1Path);
    const std::vector<std::uint32_t> list1 = writeList({items, 1}, nextSerial, file1);
    file1.close();
    LineFile file2(list2Path);
    writeList({items, 2, &list1, 0.5}, nextSerial, file2);
    file2.close();
}

std::string listPath(const std::string& folder, int listNumber, std::int64_t items) {
    return folder + "/list" + std::to_string(listNumber) + "-" + std::to_string(items) + ".txt";
}

bool ensureLists(const std::string& folder, std::int64_t items) {
    namespace fs = std::filesystem;
    const std::string path1 = listPath(folder, 1, items);
    const std::string path2 = listPath(folder, 2, items);
    if (fs::exists(path1) && fs::exists(path2)) return false;
    fs::create_directories(folder);
    writeLists(items, path1 + ".part", path2 + ".part");
    fs::rename(path1 + ".part", path1);
    fs::rename(path2 + ".part", path2);
    return true;
}

}  // namespace ListGenerator
