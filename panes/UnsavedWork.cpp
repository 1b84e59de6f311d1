#include "panes/UnsavedWork.h"

#include <algorithm>

void UnsavedWork::saved() {
    m_way.clear();
    m_workOutOfReach = false;
}

bool UnsavedWork::any() const {
    return m_workOutOfReach || std::any_of(m_way.begin(), m_way.end(), [](const Move& m) { return m.work; });
}

void UnsavedWork::move(const Move& next) {
    if (!m_way.empty() && m_way.back().step == next.step && m_way.back().forward != next.forward) {
        m_way.pop_back();
        return;
    }
    m_way.push_back(next);
    if (m_way.size() <= 2 * m_reach) return;
    // Only the last `reach` moves can still be taken back.
    const auto keptFrom = m_way.end() - std::ptrdiff_t(m_reach);
    m_workOutOfReach =
        m_workOutOfReach || std::any_of(m_way.begin(), keptFrom, [](const Move& m) { return m.work; });
    m_way.erase(m_way.begin(), keptFrom);
}
