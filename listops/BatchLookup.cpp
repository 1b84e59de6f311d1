#include "listops/BatchLookup.h"

void BatchLookup::prepare(const ItemSpan& span, int first, int last) {
    m_ready = false;
    m_first = first;
    m_step = last >= first ? 1 : -1;
    const size_t count = size_t(std::abs(last - first)) + 1;
    m_hashes.resize(count);
    m_answers.resize(count);
    m_found.resize(count);
    m_parts.resize(size_t(m_set.parts()));
    for (Part& part : m_parts) part.visits.clear();
    const bool shared = m_helper && m_set.parts() > 1 && count >= kSharedFrom;
    // Hashing reads every text of the span: it is shared too, in pieces.
    const auto hashPiece = [&](int piece) {
        const size_t end = count * size_t(piece + 1) / kHashPieces;
        for (size_t v = count * size_t(piece) / kHashPieces; v < end; ++v)
            m_hashes[v] = m_set.hashOf(text(span, v));
    };
    if (shared)
        m_helper->share(kHashPieces, hashPiece, m_waiting);
    else
        for (int piece = 0; piece < kHashPieces; ++piece) hashPiece(piece);
    for (size_t v = 0; v < count; ++v)
        m_parts[size_t(m_set.partOf(m_hashes[v]))].visits.push_back(std::uint32_t(v));
    if (shared)
        m_helper->share(
            m_set.parts(), [&](int p) { lookUp(span, p); }, m_waiting);
    else
        for (int p = 0; p < m_set.parts(); ++p) lookUp(span, p);
    for (const Part& part : m_parts) {
        for (size_t j = 0; j < part.visits.size(); ++j) {
            m_answers[part.visits[j]] = part.answers[j];
            m_found[part.visits[j]] = part.found[j];
        }
    }
    m_ready = true;
}

void BatchLookup::lookUp(const ItemSpan& span, int p) {
    Part& part = m_parts[size_t(p)];
    PositionTable& table = m_set.part(p);
    const size_t count = part.visits.size();
    part.found.resize(count);
    part.answers.resize(count);
    const auto hashAt = [&](size_t j) { return m_hashes[part.visits[j]]; };
    for (size_t j = 0; j < count; ++j) {
        if (j + kAhead < count) table.prefetch(hashAt(j + kAhead));
        part.found[j] = m_mode == Mode::Find ? table.firstAgreeing(hashAt(j))
                                             : table.claim(hashAt(j), m_first + m_step * int(part.visits[j]));
    }
    const ItemStore& items = table.items();
    for (size_t j = 0; j < count; ++j) {
        if (j + kAhead < count && part.found[j + kAhead] != 0) {
            const ItemStore::Place place = items.placeOf(part.found[j + kAhead] - 1);
            Platform::prefetch(place.block->ends.data() + place.k);
        }
        if (j + kAhead / 2 < count && part.found[j + kAhead / 2] != 0) {
            const QByteArrayView found = items.text(part.found[j + kAhead / 2] - 1);
            Platform::prefetch(found.data());
            Platform::prefetch(found.data() + found.size());
        }
        const int found = part.found[j];
        part.answers[j] = found == 0                                                      ? No
                          : table.same(text(span, part.visits[j]), items.text(found - 1)) ? Yes
                                                                                          : Unsure;
    }
}
