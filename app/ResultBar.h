#pragma once

#include <QProgressBar>

class WindowState;

// ProgressBar1, which also shows the window's result line: while a command runs long work it is the
// plain progress bar; once none runs it shows, across the window's width, what the last command that
// changed a pane did. The line is the bar's accessible name too, so screen readers hear it change.
class ResultBar : public QProgressBar {
    Q_OBJECT
public:
    // The most characters of a result the bar shows.
    static constexpr qsizetype kMaxChars = 300;

    explicit ResultBar(WindowState& state, QWidget* parent = nullptr);

    // The result line; never the percentage, which the bar shows by its position.
    QString text() const override { return m_result; }

private:
    void showResult(const QString& result);
    void followCommands();

    WindowState& m_state;
    QString m_result;
};
