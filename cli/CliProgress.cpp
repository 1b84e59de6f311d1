#include "cli/CliProgress.h"

#include <QIODevice>
#include <QLocale>

#include <algorithm>

namespace {
// A job shorter than this shows nothing; the line changes at most this often.
constexpr qint64 kQuietMs = 1000;
constexpr qint64 kRedrawMs = 250;
}  // namespace

ProgressLine::ProgressLine(QIODevice& errors, bool shown, const ProgressClock& clock)
    : m_errors(errors), m_shown(shown), m_clock(clock), m_startMs(clock.milliseconds()) {}

void ProgressLine::setPhase(const QString& phase, std::function<qint64()> lines, const QIODevice* input) {
    m_phase = phase;
    m_lines = std::move(lines);
    m_input = input;
    tick();
}

QString ProgressLine::text() const {
    const QLocale digits(QLocale::English, QLocale::UnitedStates);
    QString line = m_phase;
    if (m_lines) line += QStringLiteral(": ") + digits.toString(m_lines()) + QStringLiteral(" lines");
    // A pipe's size is not known; a file's is.
    if (m_input && !m_input->isSequential() && m_input->size() > 0) {
        const qint64 percent = std::clamp<qint64>(m_input->pos() * 100 / m_input->size(), 0, 100);
        line += QStringLiteral(" (") + QString::number(percent) + QStringLiteral("%)");
    }
    return line;
}

void ProgressLine::tick() {
    if (!m_shown) return;
    const qint64 now = m_clock.milliseconds();
    if (now - m_startMs < kQuietMs || now - m_drawnMs < kRedrawMs) return;
    m_drawnMs = now;
    const QString line = text();
    // A shorter line covers what is left of the longer one before it.
    const QString padded = line.leftJustified(m_width);
    m_width = line.size();
    m_errors.write((u'\r' + padded).toUtf8());
}

void ProgressLine::clear() {
    if (m_drawnMs < 0) return;
    m_errors.write((u'\r' + QString(m_width, u' ') + u'\r').toUtf8());
    m_drawnMs = -1;
    m_width = 0;
}
