#include "listops/RoutineRun.h"

#include "core/Progress.h"
#include "core/RunTimeError.h"
#include "core/Yielder.h"
#include "listops/FieldKey.h"

#include <algorithm>
#include <new>

namespace List {

RoutineRun::RoutineRun(const char* routine, const RoutineLines& lines, Scan scan, ListPane& target,
                       const ListReader* reference, const RoutineServices& services, Picks picks)
    : m_proc(services.reporter, ErrorReporter::origin(QStringLiteral("List"), QString::fromLatin1(routine))),
      m_lines(lines),
      m_scan(scan),
      m_target(target),
      m_reference(reference),
      m_services(services),
      m_picksKept(picks == Picks::Kept) {
    m_targetStamp = target.editStamp();
    if (reference) m_referenceStamp = reference->editStamp();
    m_read = keysOf(target, services.targetMatch, m_targetKeys);
    if (reference) m_referenceRead = referenceKeys(*reference);
    if (!m_read || (reference && !m_referenceRead)) {
        // Abandoned while making the keys: the passes see no items.
        m_read = m_referenceRead = &m_targetKeys.emplace();
    } else if (m_read != &target) {
        m_offset = services.targetMatch.header && target.count() > 0 ? 1 : 0;
    }
    m_proc.run(m_lines.header, [&] { m_n = m_read->count(); });
    // Room for every position up front: growing a long index list copies it, all at once. Memory
    // that is never written costs nothing.
    try {
        m_positions.reserve(m_n);
    } catch (const std::bad_alloc&) {
        // Then it grows as it goes.
    }
    m_picks.resize(size_t(std::min(m_n, kPrepareItems)));
}

const ListReader* RoutineRun::referenceKeys(const ListReader& reference) {
    KeptReference::Made* made = kept();
    if (made && made->read) return made->read;
    const ListReader* read = keysOf(reference, m_services.referenceMatch, m_referenceKeys);
    if (!made || !read) return read;
    if (read == &reference) return made->read = read;
    made->keys = std::move(m_referenceKeys);
    m_referenceKeys.reset();
    return made->read = &*made->keys;
}

KeptReference::KeptReference() : made(std::make_unique<Made>()) {}
KeptReference::~KeptReference() = default;

const ListReader* RoutineRun::keysOf(const ListReader& pane, const MatchOn& on,
                                     std::optional<StorePane>& keys) {
    // Matching whole items costs nothing more than it ever did.
    if (on.plain()) return &pane;
    bool made = false;
    m_proc.run(m_lines.header, [&] {
        // Each block's keys take a millisecond or two; the clock is read between rounds of blocks.
        keys.emplace(FieldKey::keysOf(
            pane.snapshot(), on, [&] { return pauseNow(); }, helperThread(pane.count())));
        made = !m_abandoned;
    });
    return made ? &*keys : nullptr;
}

void RoutineRun::keep(const int* positions, int count) {
    const qsizetype size = m_positions.size();
    if (m_positions.capacity() - size < count) {
        // Without room set aside each one may fail on its own, and is reported as such.
        for (int j = 0; j < count; ++j) selected(positions[j]);
        return;
    }
    m_positions.resize(size + count);
    std::copy_n(positions, count, m_positions.begin() + size);
}

void RoutineRun::showStep(int s, bool due) {
    // The display is written only when the event loop can show it, and on the last item, where the
    // value that stays up until the end is set.
    m_proc.run(m_lines.progress, [&] { m_services.progress.setPercent(percent(s)); });
    if (due) yieldNow();
}

void RoutineRun::yieldAt(int s) {
    showStep(s, true);
}

std::optional<ItemSpan> RoutineRun::spanAt(const ListReader& pane, int position) {
    try {
        return pane.span(position);
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

double RoutineRun::percent(int s) const {
    const int c = m_target.count() - m_offset;
    if (c == 0) throw RunTimeError(QStringLiteral("Division by zero"), 11);
    if (m_scan == Scan::Ascending) return double(s) / c * 100;
    return 100 - double(m_n - s + 1) / c * 100;
}

void RoutineRun::yieldNow() {
    m_services.yielder.yieldNow();
    const bool changed = m_target.editStamp() != m_targetStamp ||
                         (m_reference && m_reference->editStamp() != m_referenceStamp);
    if (!changed) return;
    // Positions read before the change may name other items now: collect nothing more, remove nothing.
    m_abandoned = true;
    m_proc.run(m_lines.compare, [] {
        throw RunTimeError(QStringLiteral("The list was changed while the command ran; nothing was removed"));
    });
}

void RoutineRun::removeCollected() {
    if (m_abandoned || m_positions.isEmpty()) return;
    // A bulk removal from a long list takes a while of its own: it starts on a fresh time budget.
    yieldNow();
    if (m_abandoned) return;
    m_proc.run(m_lines.removal, [&] {
        // A descending pass collects from the highest position down; the pane removes in ascending order.
        if (m_scan == Scan::Descending) std::reverse(m_positions.begin(), m_positions.end());
        // The reader's positions are the target's after its header.
        if (m_offset)
            for (int& position : m_positions) position += m_offset;
        m_target.removePositions(m_positions, m_targetStamp, m_services.yielder);
    });
}

void RoutineRun::resetProgress() {
    m_proc.run(m_lines.reset, [&] { m_services.progress.setPercent(0); });
}

}  // namespace List
