#pragma once

#include <QElapsedTimer>
#include <QProgressBar>

class WindowState;

// ProgressBar1, which also shows the window's result line: while a command runs long work it is the
// progress bar, and once a list command has run about a second it names the command with its
// percentage ("Remove Dupes Except First: 37%"); once none runs it shows, across the window's width,
// what the last command that changed a pane did, and at its right end which compare options are on, so a
// glance finds them before any command runs. Screen readers find it as a status bar: the line is its name and
// the options its description, each announced when it changes; the saved file's path is its tooltip.
class ResultBar : public QProgressBar {
    Q_OBJECT
public:
    // The most characters of a result the bar shows.
    static constexpr qsizetype kMaxChars = 300;

    explicit ResultBar(WindowState& state, QWidget* parent = nullptr);

    // The result line, or while a list command that has run a while goes on, its name and percentage.
    QString text() const override { return m_progressShown ? m_progressText : m_result; }
    // How long a command runs before the bar names it (tests shorten it).
    void setNameDelay(int milliseconds) { m_nameDelay = milliseconds; }
    // "Ignoring case and spaces" while those options are on; empty while neither is.
    const QString& optionsText() const { return m_options; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void showResult(const QString& result);
    void showOptions();
    void followCommands();
    void followRunning();
    void showProgress(int percent);

    WindowState& m_state;
    QString m_result;
    QString m_options;
    QString m_progressText;
    bool m_progressShown = false;
    QElapsedTimer m_runningFor;
    int m_nameDelay = 1000;
};
