#include "listops/BatchLookup.h"

void BatchLookup::prepare(const ItemSpan& span, int first, int last) {
    m_ready = false;
    m_first = first;
    m_step = last >= first ? 1 : -1;
    const size_t count = size_t(std::abs(last - first)) + 1;
    m_hashes.resize(count);
    m_answers.resize(count);
    for (Half& half : m_halves) half.visits.clear();
    for (size_t v = 0; v < count; ++v) {
        const size_t hash = m_set.hashOf(text(span, v));
        m_hashes[v] = hash;
        m_halves[size_t(m_set.halfOf(hash))].visits.push_back(std::uint32_t(v));
    }
    if (m_hand && m_set.halves() == 2 && count >= kSharedFrom)
        m_hand->together([&] { lookUp(span, 0); }, [&] { lookUp(span, 1); }, m_waiting);
    else
        for (int h = 0; h < m_set.halves(); ++h) lookUp(span, h);
    for (const Half& half : m_halves)
        for (size_t j = 0; j < half.visits.size(); ++j) m_answers[half.visits[j]] = half.answers[j];
    m_ready = true;
}

void BatchLookup::lookUp(const ItemSpan& span, int h) {
    Half& half = m_halves[size_t(h)];
    PositionTable& table = m_set.half(h);
    const size_t count = half.visits.size();
    half.found.resize(count);
    half.answers.resize(count);
    const auto hashAt = [&](size_t j) { return m_hashes[half.visits[j]]; };
    for (size_t j = 0; j < count; ++j) {
        if (j + kAhead < count) table.prefetch(hashAt(j + kAhead));
        half.found[j] = m_mode == Mode::Find ? table.firstAgreeing(hashAt(j))
                                             : table.claim(hashAt(j), m_first + m_step * int(half.visits[j]));
    }
    const ItemStore& items = table.items();
    for (size_t j = 0; j < count; ++j) {
        if (j + kAhead < count && half.found[j + kAhead] != 0) {
            const ItemStore::Place place = items.placeOf(half.found[j + kAhead] - 1);
            Platform::prefetch(place.block->ends.data() + place.k);
        }
        if (j + kAhead / 2 < count && half.found[j + kAhead / 2] != 0) {
            const QByteArrayView found = items.text(half.found[j + kAhead / 2] - 1);
            Platform::prefetch(found.data());
            Platform::prefetch(found.data() + found.size());
        }
        const int found = half.found[j];
        half.answers[j] = found == 0 ? No
                          : PositionTable::sameBytes(text(span, half.visits[j]), items.text(found - 1))
                              ? Yes
                              : Unsure;
    }
}
