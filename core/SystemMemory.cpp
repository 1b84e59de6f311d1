#include "core/SystemMemory.h"

#include "core/Platform.h"

#include <QFile>
#include <QList>

namespace {
// Limits from this large on are cgroup v1's way of saying none.
constexpr qint64 kNoLimit = qint64(1) << 62;

// A small file of /proc or /sys, which report no true size, read to its end.
std::optional<QByteArray> readSmall(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
    QByteArray bytes;
    char chunk[4096];
    for (qint64 got; (got = file.read(chunk, sizeof chunk)) > 0 && bytes.size() < 1024 * 1024;)
        bytes.append(chunk, got);
    return bytes;
}

std::optional<qint64> number(const QByteArray& text) {
    bool ok = false;
    const qint64 value = text.trimmed().toLongLong(&ok);
    return ok && value >= 0 ? std::optional(value) : std::nullopt;
}

// The value of `key` in a memory.stat file: lines of a key and a number.
qint64 statValue(const QString& path, QByteArrayView key) {
    const std::optional<QByteArray> stat = readSmall(path);
    if (!stat) return 0;
    for (const QByteArray& line : stat->split('\n')) {
        const qsizetype space = line.indexOf(' ');
        if (space > 0 && QByteArrayView(line).first(space) == key) return number(line.mid(space)).value_or(0);
    }
    return 0;
}

struct Hierarchy {
    QString root;  // where the hierarchy is mounted
    QString own;   // the process's group, from that root
    bool version2 = false;
};

// The hierarchy that holds the memory controller: a v1 line naming it, else the v2 line ("0::").
std::optional<Hierarchy> memoryHierarchy(const SystemMemory::Sources& sources) {
    const std::optional<QByteArray> groups = readSmall(sources.ownGroups);
    if (!groups) return std::nullopt;
    std::optional<Hierarchy> found;
    for (const QByteArray& line : groups->split('\n')) {
        const QList<QByteArray> fields = line.split(':');
        if (fields.size() < 3) continue;
        const QString own = QFile::decodeName(line.mid(fields[0].size() + fields[1].size() + 2));
        if (fields[1].split(',').contains("memory"))
            return Hierarchy{sources.controlGroups + QStringLiteral("/memory"), own, false};
        if (fields[0] == "0" && fields[1].isEmpty()) found = Hierarchy{sources.controlGroups, own, true};
    }
    return found;
}

// The room one group's limit leaves; nothing where it sets none.
std::optional<qint64> groupRoom(const QString& folder, bool version2) {
    const std::optional<QByteArray> limitText = readSmall(
        folder + (version2 ? QStringLiteral("/memory.max") : QStringLiteral("/memory.limit_in_bytes")));
    if (!limitText) return std::nullopt;
    const std::optional<qint64> limit = number(*limitText);
    if (!limit || *limit >= kNoLimit) return std::nullopt;
    const qint64 usage = number(readSmall(folder + (version2 ? QStringLiteral("/memory.current")
                                                             : QStringLiteral("/memory.usage_in_bytes")))
                                    .value_or(QByteArray()))
                             .value_or(0);
    const qint64 droppable = statValue(folder + QStringLiteral("/memory.stat"),
                                       version2 ? "inactive_file" : "total_inactive_file");
    return qMax<qint64>(0, *limit - qMax<qint64>(0, usage - droppable));
}
}  // namespace

namespace MemoryLimits {

std::optional<qint64> least(std::optional<qint64> a, std::optional<qint64> b) {
    if (!a) return b;
    if (!b) return a;
    return qMin(*a, *b);
}

std::optional<qint64> controlGroupRoom(const SystemMemory::Sources& sources) {
    const std::optional<Hierarchy> hierarchy = memoryHierarchy(sources);
    if (!hierarchy) return std::nullopt;
    // From the process's own group up to the root. A group that is not there (a container shows
    // its own group as the root) sets no limit of its own.
    std::optional<qint64> room;
    QString own = hierarchy->own;
    for (;;) {
        room = least(room, groupRoom(hierarchy->root + own, hierarchy->version2));
        if (own.isEmpty() || own == u'/') break;
        own.truncate(qMax<qsizetype>(0, own.lastIndexOf(u'/')));
    }
    return room;
}

std::optional<qint64> addressSpaceRoom(std::optional<qint64> limit, qint64 mapped) {
    if (!limit) return std::nullopt;
    return qMax<qint64>(0, *limit - mapped);
}

}  // namespace MemoryLimits

std::optional<qint64> SystemMemory::availableBytes() const {
    std::optional<qint64> room = Platform::availableMemoryBytes();
    room = MemoryLimits::least(room, MemoryLimits::controlGroupRoom(m_sources));
    const std::optional<qint64> mapped = Platform::mappedBytes();
    return MemoryLimits::least(
        room, MemoryLimits::addressSpaceRoom(Platform::addressSpaceLimitBytes(), mapped.value_or(0)));
}

const MemoryProbe& SystemMemory::instance() {
    static const SystemMemory probe;
    return probe;
}
