#include "app/ResultBar.h"

#include "core/WindowState.h"

#include <QAccessible>

ResultBar::ResultBar(WindowState& state, QWidget* parent) : QProgressBar(parent), m_state(state) {
    setRange(0, 100);
    setValue(0);
    setAlignment(Qt::AlignCenter);
    followCommands();
    connect(&m_state, &WindowState::lastResultChanged, this, &ResultBar::showResult);
    // The wait pointer comes and goes with long work: the sign to hide and show the line again.
    connect(&m_state, &WindowState::mousePointerChanged, this, &ResultBar::followCommands);
}

void ResultBar::showResult(const QString& result) {
    m_result = result.left(kMaxChars);
    setAccessibleName(m_result);
    QAccessibleEvent event(this, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&event);
    followCommands();
    update();
}

// The line stays until the next command ends; it does not stand over the progress of one running.
void ResultBar::followCommands() {
    setTextVisible(!m_result.isEmpty() && !m_state.commandRunning());
}
