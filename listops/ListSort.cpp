#include "listops/ListSort.h"

#include "core/Platform.h"
#include "core/ReleaseAside.h"
#include "listops/HelperThread.h"
#include "listops/NaturalOrder.h"

#include <algorithm>
#include <array>
#include <vector>

namespace {
// Pieces handed out at once, taken by whichever thread is free: a few milliseconds of work, so that
// handing over costs little and the event loop still gets its turns.
constexpr int kChunksAtOnce = 8;
constexpr int kSegmentsAtOnce = 16;
// Entries whose memory goes back to the system in one piece (16 MB), and pieces at once.
constexpr std::int64_t kDiscardPiece = std::int64_t(1) << 19;
constexpr int kDiscardsAtOnce = 4;
// Sorted items copied into a new store in one piece by either thread, and at once, between looks at
// the clock.
constexpr std::int64_t kCopyPiece = 32768;
constexpr std::int64_t kCopyBatch = 4096;
constexpr std::int64_t kFetchAhead = 16;
// Copying a byte costs a small part of folding and comparing it.
constexpr std::int64_t kCopiedBetweenPauses = 16 * ListSort::kTextBetweenPauses;

// What a piece on the helper thread throws once a pause on the caller's thread has thrown; the
// caller's own failure is the one passed on.
struct Abandoned {};
}  // namespace

ListSort::ListSort(const ItemStore& items, Direction direction)
    : m_items(items), m_direction(direction), m_n(items.count()) {}

ListSort::~ListSort() {
    releaseAside(std::move(m_sorted), m_n);
    releaseAside(std::move(m_spare), m_n);
}

void ListSort::discard(std::unique_ptr<Entry[]>& entries) {
    // Freed at once, a long list's entries would hold the process's memory map for a while on
    // whichever thread frees them, and stall the window's thread at its next allocation.
    if (!entries || !m_steps || m_n < kDiscardPiece) return entries.reset();
    const std::int64_t pieces = (m_n + kDiscardPiece - 1) / kDiscardPiece;
    for (std::int64_t p = 0; p < pieces; p += kDiscardsAtOnce) {
        const int parts = int(std::min<std::int64_t>(kDiscardsAtOnce, pieces - p));
        runParts(parts, [&](int k) {
            const std::int64_t from = (p + k) * kDiscardPiece;
            const std::int64_t count = std::min(kDiscardPiece, m_n - from);
            Platform::discardPages(&entries[from], size_t(count) * sizeof(Entry));
        });
    }
    entries.reset();
}

void ListSort::pause() const {
    try {
        m_steps->pause();
    } catch (...) {
        m_abandoned.store(true, std::memory_order_relaxed);
        throw;
    }
}

void ListSort::pauseWithin(Reading& reading) const {
    reading.bytes = 0;
    if (m_abandoned.load(std::memory_order_relaxed)) throw Abandoned{};
    // The event loop is the caller's: the helper only looks whether to go on.
    if (std::this_thread::get_id() == m_caller) pause();
}

bool ListSort::lessByText(const Entry& a, const Entry& b, Reading& reading) const {
    // The most that the comparison reads.
    reading.bytes += std::int64_t(a.size) + std::int64_t(b.size);
    if (reading.bytes >= kTextBetweenPauses) pauseWithin(reading);
    int order = NaturalOrder::compare(QByteArrayView(a.text, a.size), QByteArrayView(b.text, b.size));
    if (m_direction == Direction::ZToA) order = -order;
    if (order) return order < 0;
    // Equal texts: the earlier one first, in either direction.
    return a.index < b.index;
}

void ListSort::run(HelperThread* helper, const Steps& steps) {
    m_helper = helper;
    m_steps = &steps;
    m_caller = std::this_thread::get_id();
    // Memory the system hands out untouched: the pieces touch it as they fill it, between yields.
    m_sorted.reset(new Entry[size_t(std::max<std::int64_t>(m_n, 1))]);
    const std::int64_t chunks = (m_n + kChunk - 1) / kChunk;
    for (std::int64_t c = 0; c < chunks; c += kChunksAtOnce) {
        const int parts = int(std::min<std::int64_t>(kChunksAtOnce, chunks - c));
        runParts(parts, [&](int p) { sortChunk(c + p); });
        steps.progress(50.0 * double(c + parts) / double(chunks));
    }
    if (m_n <= kChunk) return;
    m_spare.reset(new Entry[size_t(m_n)]);
    int passes = 0;
    for (std::int64_t w = kChunk; w < m_n; w *= 2) ++passes;
    int pass = 0;
    for (std::int64_t width = kChunk; width < m_n; width *= 2) {
        mergePass(width);
        std::swap(m_sorted, m_spare);
        steps.progress(50.0 + 50.0 * ++pass / passes);
    }
    discard(m_spare);
}

void ListSort::runParts(int parts, const std::function<void(int)>& task) {
    if (m_helper) {
        m_helper->share(parts, task, [this] { pause(); });
    } else {
        for (int p = 0; p < parts; ++p) task(p);
    }
    pause();
}

void ListSort::sortChunk(std::int64_t chunk) {
    const std::int64_t from = chunk * kChunk;
    const std::int64_t to = std::min(m_n, from + kChunk);
    const bool reversed = m_direction == Direction::ZToA;
    Reading reading;
    for (std::int64_t i = from; i < to; ++i) {
        const QByteArrayView text = m_items.text(i);
        // A key prefix reads a digit run whole, however long.
        reading.bytes += text.size();
        if (reading.bytes >= kTextBetweenPauses) pauseWithin(reading);
        NaturalOrder::Prefix p = NaturalOrder::prefix(text);
        if (reversed) p = {~p.high, ~p.low};
        m_sorted[i] = Entry{p.high, p.low, text.data(), std::uint32_t(text.size()), std::uint32_t(i)};
    }
    std::sort(&m_sorted[from], &m_sorted[to],
              [this, &reading](const Entry& a, const Entry& b) { return less(a, b, reading); });
}

void ListSort::mergePass(std::int64_t width) {
    // Every pair of neighbouring runs, each cut into segments of the output.
    struct Piece {
        std::int64_t lo, from, to;
    };
    std::vector<Piece> pieces;
    for (std::int64_t lo = 0; lo < m_n; lo += 2 * width) {
        const std::int64_t end = std::min(m_n, lo + 2 * width);
        for (std::int64_t from = lo; from < end; from += kSegment)
            pieces.push_back({lo, from, std::min(end, from + kSegment)});
    }
    for (size_t p = 0; p < pieces.size(); p += kSegmentsAtOnce) {
        const int parts = int(std::min<size_t>(kSegmentsAtOnce, pieces.size() - p));
        runParts(parts, [&](int k) {
            const Piece& piece = pieces[p + size_t(k)];
            mergeSegment(piece.lo, width, piece.from, piece.to);
        });
    }
}

void ListSort::mergeSegment(std::int64_t lo, std::int64_t width, std::int64_t from, std::int64_t to) {
    const Entry* a = &m_sorted[lo];
    const std::int64_t m = std::min(width, m_n - lo);
    const Entry* b = a + m;
    const std::int64_t l = std::max<std::int64_t>(0, std::min(width, m_n - lo - m));
    Reading reading;
    // How many of the first k outputs come from run a: the order is total, so the first k outputs are
    // the k smallest of both runs.
    auto takenFromA = [&](std::int64_t k) {
        std::int64_t low = std::max<std::int64_t>(0, k - l);
        std::int64_t high = std::min(k, m);
        while (low < high) {
            const std::int64_t mid = (low + high) / 2;
            if (less(a[mid], b[k - mid - 1], reading))
                low = mid + 1;
            else
                high = mid;
        }
        return low;
    };
    const std::int64_t i0 = takenFromA(from - lo);
    const std::int64_t i1 = takenFromA(to - lo);
    const std::int64_t j0 = (from - lo) - i0;
    const std::int64_t j1 = (to - lo) - i1;
    mergeRuns(a + i0, a + i1, b + j0, b + j1, &m_spare[from], reading);
}

void ListSort::mergeRuns(const Entry* a, const Entry* aEnd, const Entry* b, const Entry* bEnd, Entry* out,
                         Reading& reading) const {
    // Equal key prefixes are common (repeated items above all), and then the texts are compared,
    // which lie all over the store by now: fetching those a few entries ahead lets the waits overlap.
    constexpr std::int64_t kAhead = 8;
    while (a < aEnd && b < bEnd) {
        if (aEnd - a > kAhead) Platform::prefetch(a[kAhead].text);
        if (bEnd - b > kAhead) Platform::prefetch(b[kAhead].text);
        if (less(*b, *a, reading))
            *out++ = *b++;
        else
            *out++ = *a++;
    }
    out = std::copy(a, aEnd, out);
    std::copy(b, bEnd, out);
}

ItemStore ListSort::sortedItems() {
    // Each half of the order goes into a store of its own, a piece at a time on either thread; the
    // blocks of the second half then join the first's as they are.
    const int halves = m_helper && m_n > kCopyPiece ? 2 : 1;
    const std::int64_t half = (m_n + halves - 1) / halves;
    std::array<ItemStore, 2> stores;
    for (std::int64_t done = 0; done < half; done += kCopyPiece) {
        runParts(halves, [&](int h) {
            const std::int64_t from = h * half + done;
            appendSorted(stores[size_t(h)], from, std::min({from + kCopyPiece, (h + 1) * half, m_n}));
        });
    }
    stores[0].append(stores[1]);
    stores[1] = ItemStore();
    discard(m_sorted);
    return std::move(stores[0]);
}

void ListSort::appendSorted(ItemStore& store, std::int64_t from, std::int64_t to) const {
    std::array<QByteArrayView, kCopyBatch> texts;
    Reading reading;
    for (std::int64_t k = from; k < to;) {
        size_t batch = 0;
        // A batch of long items ends early, so that copying it is no longer than a pause allows.
        for (; batch < texts.size() && k < to && reading.bytes < kCopiedBetweenPauses; ++batch, ++k) {
            // The texts lie all over the store: fetching some ahead lets their waits overlap.
            if (k + kFetchAhead < m_n) Platform::prefetch(m_sorted[k + kFetchAhead].text);
            texts[batch] = textAt(k);
            reading.bytes += texts[batch].size();
        }
        store.appendAll({texts.data(), batch});
        if (reading.bytes >= kCopiedBetweenPauses) pauseWithin(reading);
    }
}
