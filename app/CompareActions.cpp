#include "app/CompareActions.h"

#include "core/CompareOptions.h"
#include "core/WindowState.h"
#include "panes/view/PaneView.h"

#include <QAction>
#include <QMenu>
#include <QSignalBlocker>

CompareActions::CompareActions(WindowState& state, QObject* parent)
    : QObject(parent), m_state(state), m_menu(std::make_unique<QMenu>(QStringLiteral("Co&mpare"))) {
    m_menu->setObjectName(QStringLiteral("menuCompare"));
    m_menu->menuAction()->setObjectName(QStringLiteral("actionCompare"));
    // The mnemonics make both reachable from the keyboard once the menu is open.
    m_ignoreCase = makeOption(QStringLiteral("Ignore Letter &Case"), "actionIgnoreLetterCase");
    m_ignoreSpaces = makeOption(QStringLiteral("Ignore &Spaces Around Items"), "actionIgnoreSpaces");
    show(m_state.compareOptions());
    connect(&m_state, &WindowState::compareOptionsChanged, this, &CompareActions::show);
}

CompareActions::~CompareActions() = default;

void CompareActions::addTo(PaneView& view) {
    auto* line = new QAction(&view);
    line->setSeparator(true);
    view.addAction(line);
    view.addAction(m_menu->menuAction());
}

QAction* CompareActions::makeOption(const QString& text, const char* name) {
    auto* action = m_menu->addAction(text);
    action->setObjectName(QString::fromLatin1(name));
    action->setCheckable(true);
    connect(action, &QAction::toggled, this, &CompareActions::toggled);
    return action;
}

void CompareActions::toggled() {
    m_state.setCompareOptions(CompareOptions{m_ignoreCase->isChecked(), m_ignoreSpaces->isChecked()});
}

void CompareActions::show(const CompareOptions& options) {
    const QSignalBlocker caseBlocker(m_ignoreCase);
    const QSignalBlocker spacesBlocker(m_ignoreSpaces);
    m_ignoreCase->setChecked(options.ignoreCase);
    m_ignoreSpaces->setChecked(options.ignoreSpaces);
}
