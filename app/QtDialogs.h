#pragma once

#include "app/XClipboardReader.h"
#include "core/Dialogs.h"
#include "core/Services.h"

#include <QFutureWatcher>
#include <QPointer>
#include <QThreadPool>
#include <QWidget>

#include <memory>

// The real dialogs: message boxes, the input box and the file dialog, over the main window.
class QtDialogs : public Dialogs {
public:
    void setParentWindow(QWidget* window) { m_parent = window; }

    Answer message(const QString& text, const QString& title, Buttons buttons, Icon icon) override;
    QString input(const QString& prompt, const QString& title) override;
    QStringList chooseFiles(const FileRequest& request) override;
    std::optional<MatchOn> chooseColumn(const ColumnRequest& request) override;

    // "Description|pattern|..." as Qt name filters; "*.*" means every name, as it does on Windows.
    static QStringList nameFilters(const QString& commonDialogFilter);
    // Whether a file dialog's typed text is a list of names each in double quotes ("a" "b"), the form
    // the dialog writes for several chosen files. Any other text is one name, quotes and all.
    static bool isQuotedNameList(const QString& typed);

private:
    QPointer<QWidget> m_parent;
};

// The desktop's browser, the system clock, a clock-seeded random source and the system clipboard.
class DesktopLauncher : public HomePageLauncher {
public:
    void open(const QUrl& address) override;
};

class SystemClock : public Clock {
public:
    double secondsSinceMidnight() const override;
};

class SeededRandom : public RandomSource {
public:
    void seed(double seed) override;
    double next() override;

private:
    quint64 m_state = 0x853c49e6748fea9bULL;
};

// The system clipboard. On X, what another program holds is asked for on a thread of the
// clipboard's own with a bound on each wait, so a program that never answers cannot hold the
// window; what this program holds, and other platforms' clipboards, go through Qt.
class SystemClipboard : public Clipboard {
public:
    SystemClipboard();
    ~SystemClipboard() override;

    bool hasText() const override { return m_hasText; }
    void recheck() override {
        if (m_unanswered) learnOffer();
    }
    QString text() const override;
    std::optional<QByteArray> utf8Text(Yielder& yielder) const override;
    void setText(const QString& text) override;
    void setUtf8Text(const QByteArray& text) override;

private:
    // Learns in the background whether the clipboard now offers text, then tells.
    void learnOffer();
    void offerLearnt();
    void setOffer(bool hasText, bool unanswered = false);

    bool m_hasText = false;
    bool m_unanswered = false;
    // The reads take turns on the pool's one thread and the reader's one connection. The clipboard
    // waits for the read under way before it goes, which a cancel ends within a slice of its wait.
    std::unique_ptr<XClipboardReader> m_reader;
    mutable QThreadPool m_reads;
    QFutureWatcher<XClipboardReader::Offer> m_offer;
};
