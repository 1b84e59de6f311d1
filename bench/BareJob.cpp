#include "BareJob.h"

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <stdexcept>

namespace {

// Open addressing over the lines themselves: each slot holds a key number + 1 and the line's hash, so
// a probe compares texts only when the hashes agree. Sized once, never rehashed.
class LineTable {
public:
    explicit LineTable(std::size_t capacity) {
        std::size_t slots = 16;
        while (slots < capacity * 2) slots *= 2;
        m_slots.assign(slots, Slot{});
        m_mask = slots - 1;
        m_keys.reserve(capacity);
    }
    // The key number of `line` (0, 1, ... in order of first insertion); `inserted`: it was new.
    std::uint32_t keyOf(std::string_view line, bool& inserted) {
        const std::size_t hash = std::hash<std::string_view>{}(line);
        Slot& slot = m_slots[probe(line, hash)];
        inserted = slot.keyPlusOne == 0;
        if (inserted) {
            m_keys.push_back(line);
            slot = Slot{std::uint32_t(m_keys.size()), hash};
        }
        return slot.keyPlusOne - 1;
    }
    bool contains(std::string_view line) const {
        return m_slots[probe(line, std::hash<std::string_view>{}(line))].keyPlusOne != 0;
    }

private:
    struct Slot {
        std::uint32_t keyPlusOne = 0;
        std::size_t hash = 0;
    };
    std::size_t probe(std::string_view line, std::size_t hash) const {
        for (std::size_t i = hash & m_mask;; i = (i + 1) & m_mask) {
            const Slot& slot = m_slots[i];
            if (slot.keyPlusOne == 0 || (slot.hash == hash && m_keys[slot.keyPlusOne - 1] == line)) return i;
        }
    }

    std::vector<Slot> m_slots;
    std::vector<std::string_view> m_keys;
    std::size_t m_mask = 0;
};

template <class Keep>
std::vector<std::string_view> filter(const std::vector<std::string_view>& lines, Keep keep) {
    std::vector<std::string_view> out;
    out.reserve(lines.size());
    for (std::size_t i = 0; i < lines.size(); ++i)
        if (keep(lines[i], i)) out.push_back(lines[i]);
    return out;
}

}  // namespace

namespace BareJob {

std::string readFile(const char* path) {
    std::string bytes(std::filesystem::file_size(path), '\0');
    std::FILE* in = std::fopen(path, "rb");
    const bool read = in && std::fread(bytes.data(), 1, bytes.size(), in) == bytes.size();
    if (in) std::fclose(in);
    if (!read) throw std::runtime_error(std::string("cannot read ") + path);
    return bytes;
}

std::vector<std::string_view> splitLines(std::string_view bytes) {
    std::vector<std::string_view> lines;
    lines.reserve(bytes.size() / 16);
    while (!bytes.empty()) {
        const std::size_t end = bytes.find('\n');
        std::string_view line = bytes.substr(0, end);
        bytes.remove_prefix(end == std::string_view::npos ? bytes.size() : end + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        lines.push_back(line);
    }
    return lines;
}

std::vector<std::string_view> run(const std::string& job, const std::vector<std::string_view>& lines,
                                  const std::vector<std::string_view>& other, std::string_view text) {
    bool inserted = false;
    if (job == "minus" || job == "keep") {
        LineTable set(other.size());
        for (std::string_view line : other) set.keyOf(line, inserted);
        const bool keepMatches = job == "keep";
        return filter(lines, [&](std::string_view l, std::size_t) { return set.contains(l) == keepMatches; });
    }
    if (job == "first") {
        LineTable seen(lines.size());
        return filter(lines, [&](std::string_view l, std::size_t) {
            seen.keyOf(l, inserted);
            return inserted;
        });
    }
    if (job == "last") {
        LineTable seen(lines.size());
        std::vector<std::uint32_t> keys(lines.size());
        std::vector<std::uint32_t> lastLine(lines.size());
        for (std::size_t i = 0; i < lines.size(); ++i)
            lastLine[keys[i] = seen.keyOf(lines[i], inserted)] = std::uint32_t(i);
        return filter(lines, [&](std::string_view, std::size_t i) { return lastLine[keys[i]] == i; });
    }
    if (job == "blanks") return filter(lines, [](std::string_view l, std::size_t) { return !l.empty(); });
    if (job == "with" || job == "without") {
        const bool keepContaining = job == "without";
        return filter(lines, [&](std::string_view l, std::size_t) {
            return (l.find(text) != std::string_view::npos) == keepContaining;
        });
    }
    throw std::runtime_error("unknown job " + job);
}

std::string joined(const std::vector<std::string_view>& lines) {
    std::string bytes;
    for (std::string_view line : lines) bytes.append(line).append("\r\n");
    return bytes;
}

}  // namespace BareJob
