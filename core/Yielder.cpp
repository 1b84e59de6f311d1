#include "core/Yielder.h"

#include "core/RunTimeError.h"

#include <QCoreApplication>
#include <QScopeGuard>

Yielder::Yielder(std::chrono::microseconds budget, int checkEvery)
    : m_budgetNs(std::chrono::nanoseconds(budget).count()),
      m_checkEvery(checkEvery < 1 ? 1 : checkEvery),
      m_countdown(m_checkEvery) {
    m_clock.start();
}

void Yielder::yieldNow() {
    endIfAsked();
    {
        ++m_depth;
        const auto back = qScopeGuard([this] { --m_depth; });
        processEvents();
    }
    m_yieldedAtNs = nowNs();
    m_countdown = m_checkEvery;
    endIfAsked();
}

void Yielder::endIfAsked() const {
    if (m_cancelled) throw Cancelled{};
    for (const StopPoint* point = m_stops; point; point = point->m_outer)
        if (point->m_stopped && point->m_depth == m_depth) throw Stopped{};
}

StopPoint::StopPoint(Yielder& yielder)
    : m_yielder(yielder), m_depth(yielder.m_depth), m_outer(yielder.m_stops) {
    yielder.m_stops = this;
}

StopPoint::~StopPoint() {
    // Commands end in the reverse order of their start, but a point must never stay listed.
    for (StopPoint** at = &m_yielder.m_stops; *at; at = &(*at)->m_outer)
        if (*at == this) {
            *at = m_outer;
            break;
        }
}

void Yielder::processEvents() {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}
