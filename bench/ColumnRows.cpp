#include "ColumnRows.h"

#include "ListGenerator.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace ColumnRows {

namespace {

constexpr std::array<std::string_view, 8> kNames{
    "anna", "\"Ober, Anna\"", "ben", "carla", "\"Kim \"\"K\"\"\"", "dmitri", "emma", "felix"};

// Rows of `from` (CR LF lines) into `to`, through a temporary name.
void writeRows(const std::string& from, const std::string& to) {
    std::ifstream in(from, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + from);
    {
        std::ofstream out(to + ".part", std::ios::binary);
        std::string line;
        while (std::getline(in, line)) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            out << rowFor(line) << "\r\n";
        }
        if (!out.flush()) throw std::runtime_error("cannot write " + to);
    }
    std::filesystem::rename(to + ".part", to);
}

// FNV-1a: the same rows on every machine.
std::uint64_t hashOf(std::string_view text) {
    std::uint64_t h = 0xcbf29ce484222325ull;
    for (const char c : text) h = (h ^ std::uint8_t(c)) * 0x100000001b3ull;
    return h;
}

}  // namespace

std::string rowFor(std::string_view item) {
    // An empty item stays an empty line: both ways of matching see a blank.
    if (item.empty()) return {};
    const std::uint64_t h = hashOf(item);
    std::string row(kNames[h % kNames.size()]);
    row += ',';
    const bool quoted = (h >> 8) % 4 == 0;
    if (quoted) row += '"';
    row += item;
    if (quoted) row += '"';
    return row += ",2026-01-01";
}

std::string rowsPath(const std::string& folder, int listNumber, std::int64_t items) {
    return folder + "/rows" + std::to_string(listNumber) + "-" + std::to_string(items) + ".txt";
}

bool ensureRows(const std::string& folder, std::int64_t items) {
    namespace fs = std::filesystem;
    bool wrote = false;
    for (int list : {1, 2}) {
        const std::string path = rowsPath(folder, list, items);
        if (fs::exists(path)) continue;
        writeRows(ListGenerator::listPath(folder, list, items), path);
        wrote = true;
    }
    return wrote;
}

}  // namespace ColumnRows
