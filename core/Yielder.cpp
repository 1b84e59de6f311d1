#include "core/Yielder.h"

#include "core/RunTimeError.h"

#include <QCoreApplication>

Yielder::Yielder(std::chrono::microseconds budget, int checkEvery)
    : m_budgetNs(std::chrono::nanoseconds(budget).count()),
      m_checkEvery(checkEvery < 1 ? 1 : checkEvery),
      m_countdown(m_checkEvery) {
    m_clock.start();
}

void Yielder::yieldNow() {
    if (m_cancelled) throw Cancelled{};
    processEvents();
    m_yieldedAtNs = nowNs();
    m_countdown = m_checkEvery;
    if (m_cancelled) throw Cancelled{};
}

void Yielder::processEvents() {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}
