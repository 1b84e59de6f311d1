#include "app/ResultBar.h"

#include "core/WindowState.h"
#include "store/ResultLine.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QPainter>
#include <QStyleOptionProgressBar>

namespace {

constexpr qsizetype kMaxTipChars = 1000;
constexpr int kMargin = 8;

// A status bar to assistive technology, not a progress bar that reads 0 between commands.
class ResultBarAccessible : public QAccessibleWidget {
public:
    explicit ResultBarAccessible(ResultBar* bar) : QAccessibleWidget(bar, QAccessible::StatusBar) {}
    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Description) return static_cast<const ResultBar*>(widget())->optionsText();
        return QAccessibleWidget::text(t);
    }
};

QAccessibleInterface* resultBarAccessible(const QString& className, QObject* object) {
    if (className == QLatin1String("ResultBar"))
        if (auto* bar = qobject_cast<ResultBar*>(object)) return new ResultBarAccessible(bar);
    return nullptr;
}

void announce(QWidget* bar, QAccessible::Event what) {
    QAccessibleEvent event(bar, what);
    QAccessible::updateAccessibility(&event);
}

}  // namespace

ResultBar::ResultBar(WindowState& state, QWidget* parent) : QProgressBar(parent), m_state(state) {
    static const bool installed = [] {
        QAccessible::installFactory(resultBarAccessible);
        return true;
    }();
    Q_UNUSED(installed);
    setRange(0, 100);
    setValue(0);
    setAlignment(Qt::AlignCenter);
    followCommands();
    showOptions();
    connect(&m_state, &WindowState::lastResultChanged, this, &ResultBar::showResult);
    connect(&m_state, &WindowState::compareOptionsChanged, this, &ResultBar::showOptions);
    connect(&m_state, &WindowState::runningTitleChanged, this, [this] { followRunning(); });
    connect(this, &QProgressBar::valueChanged, this, &ResultBar::showProgress);
    // The wait pointer comes and goes with long work: the sign to hide and show the line again.
    connect(&m_state, &WindowState::mousePointerChanged, this, &ResultBar::followCommands);
}

void ResultBar::showResult(const QString& result) {
    m_result = result.left(kMaxChars);
    m_progressShown = false;
    setAccessibleName(m_result);
    setToolTip(m_state.lastResultDetail().left(kMaxTipChars));
    announce(this, QAccessible::NameChanged);
    followCommands();
    update();
}

void ResultBar::showOptions() {
    QString text = ResultLine::optionsNote(m_state.compareOptions());
    // The note reads " · ignoring case"; alone it starts as a sentence does.
    text = text.mid(text.indexOf(u'i'));
    if (!text.isEmpty()) text[0] = text[0].toUpper();
    if (text == m_options) return;
    m_options = text;
    announce(this, QAccessible::DescriptionChanged);
    update();
}

void ResultBar::followRunning() {
    m_runningFor.start();
    if (!m_progressShown) return;
    // The command ended (or another began): the bar is the result line again.
    m_progressShown = false;
    m_progressText.clear();
    setAccessibleName(m_result);
    announce(this, QAccessible::NameChanged);
    followCommands();
}

// Said once the command has run a while, and again at each new percent, not at every step.
void ResultBar::showProgress(int percent) {
    const QString& title = m_state.runningTitle();
    if (title.isEmpty() || !m_runningFor.isValid() || m_runningFor.elapsed() < m_nameDelay) return;
    const QString text = title.left(kMaxChars) + QStringLiteral(": %1%").arg(percent);
    if (m_progressShown && text == m_progressText) return;
    m_progressShown = true;
    m_progressText = text;
    setAccessibleName(text);
    announce(this, QAccessible::NameChanged);
    followCommands();
}

// The line stays until the next command ends; it does not stand over the progress of one running.
void ResultBar::followCommands() {
    setTextVisible(m_progressShown || (!m_result.isEmpty() && !m_state.commandRunning()));
    update();
}

void ResultBar::paintEvent(QPaintEvent* event) {
    if (m_state.commandRunning() || m_options.isEmpty()) return QProgressBar::paintEvent(event);
    // Idle with an option on: the frame, the line centred in what the options' mark leaves, the mark
    // at the right end, in the text's own colour (a muted one would be hard to read on white).
    QStyleOptionProgressBar option;
    initStyleOption(&option);
    option.textVisible = false;
    QPainter painter(this);
    style()->drawControl(QStyle::CE_ProgressBar, &option, &painter, this);
    const QFontMetrics metrics = fontMetrics();
    const int markWidth = metrics.horizontalAdvance(m_options);
    const QRect inner = rect().adjusted(kMargin, 0, -kMargin, 0);
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(inner, Qt::AlignRight | Qt::AlignVCenter | Qt::TextSingleLine, m_options);
    // Centred in the bar as before, as long as it stays clear of the mark on either side.
    const QRect line = inner.adjusted(markWidth + kMargin, 0, -(markWidth + kMargin), 0);
    painter.drawText(line, Qt::AlignCenter | Qt::TextSingleLine,
                     metrics.elidedText(m_result, Qt::ElideMiddle, line.width()));
}
