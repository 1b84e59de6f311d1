#pragma once

#include <QObject>
#include <QString>
#include <QUrl>

#include <optional>

class Dialogs;
class Yielder;

// Hands a web address to the desktop. Tests hand in one that only records.
class HomePageLauncher {
public:
    virtual ~HomePageLauncher() = default;
    virtual void open(const QUrl& address) = 0;
};

// The system timer: seconds since midnight.
class Clock {
public:
    virtual ~Clock() = default;
    virtual double secondsSinceMidnight() const = 0;
};

// A uniform random source seeded from a number.
class RandomSource {
public:
    virtual ~RandomSource() = default;
    virtual void seed(double seed) = 0;
    // A number r with 0 <= r < 1.
    virtual double next() = 0;
};

// The memory the system can still hand out without swapping or ending programs. Tests script it.
class MemoryProbe {
public:
    virtual ~MemoryProbe() = default;
    // Bytes available now; none where the platform does not say.
    virtual std::optional<qint64> availableBytes() const = 0;
};

// The system clipboard's text, which other programs share. Tests hand in one that holds a text of
// its own.
class Clipboard : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // Whether the clipboard offers text, as last learnt: never waits on another program, which may
    // not answer. changed() tells when the answer may have changed.
    virtual bool hasText() const = 0;
    // Asks again, in the background, where the last question went unanswered (a menu opens).
    virtual void recheck() {}
    virtual QString text() const = 0;
    // The text as bytes: UTF-8 where the clipboard holds UTF-8 (so a long list is never held as
    // UTF-16 in between), else as the other program offers it. None when the clipboard did not
    // answer in time; the event loop runs through `yielder` meanwhile.
    virtual std::optional<QByteArray> utf8Text(Yielder& yielder) const = 0;
    virtual void setText(const QString& text) = 0;
    // The same text as UTF-8: a long list need not be held as UTF-16 too, twice its size.
    virtual void setUtf8Text(const QByteArray& text) = 0;

Q_SIGNALS:
    // This program or another put something new on the clipboard.
    void changed();
};

// Everything the window reaches outside itself through, handed in by main() or a test.
struct Services {
    Dialogs& dialogs;
    HomePageLauncher& launcher;
    Clock& clock;
    RandomSource& random;
    // The folder of the program file, without a trailing separator.
    QString programFolder;
    // Lets the event loop run during long work; null for the window's own.
    Yielder* yielder = nullptr;
    // The clipboard; null for the system's.
    Clipboard* clipboard = nullptr;
    // The memory left to load files into; null for the system's own.
    const MemoryProbe* memory = nullptr;
};
