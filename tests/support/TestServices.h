#pragma once

#include "core/Services.h"
#include "support/ScriptedDialogs.h"
#include "support/TestContext.h"

#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include <optional>

class RecordingLauncher : public HomePageLauncher {
public:
    QList<QUrl> opened;
    void open(const QUrl& address) override { opened.append(address); }
};

class FixedClock : public Clock {
public:
    double seconds = 1234.5;
    double secondsSinceMidnight() const override { return seconds; }
};

class FixedRandom : public RandomSource {
public:
    double value = 0.5;
    QList<double> seeds;
    void seed(double s) override { seeds.append(s); }
    double next() override { return value; }
};

// A clipboard of the test's own: it holds what the test or the window put there.
class ScriptedClipboard : public Clipboard {
public:
    std::optional<QString> held;
    // Bytes the clipboard holds instead of `held`'s text, as another program may offer them.
    std::optional<QByteArray> heldBytes;
    // The clipboard's owner stopped answering.
    bool silent = false;
    // Reading the text fails, as reading another program's clipboard may.
    bool failReads = false;
    bool hasText() const override { return held.has_value() || heldBytes.has_value(); }
    QString text() const override { return held.value_or(QString()); }
    std::optional<QByteArray> utf8Text(Yielder&) const override {
        if (silent) return std::nullopt;
        if (failReads) throw RunTimeError(QStringLiteral("Simulated clipboard failure"));
        return heldBytes ? *heldBytes : text().toUtf8();
    }
    void setText(const QString& text) override {
        held = text;
        heldBytes.reset();
        Q_EMIT changed();
    }
    void setUtf8Text(const QByteArray& text) override { setText(QString::fromUtf8(text)); }
};

// Everything a test window reaches outside itself, scripted; the program folder is a fresh
// temporary folder, empty unless the test puts a skin or pointer file there.
struct TestServices {
    // How the window's long work yields: as outside tests (every 15 ms), or at every chance, so a
    // test can act in the middle of a command.
    enum Yields { Timed, EveryChance };
    explicit TestServices(Yields yields = Timed)
        : yielder(yields == Timed ? std::chrono::milliseconds(15) : std::chrono::milliseconds(0),
                  yields == Timed ? 32 : 1) {}

    QTemporaryDir programFolder;
    ScriptedDialogs dialogs;
    RecordingLauncher launcher;
    FixedClock clock;
    FixedRandom random;
    ScriptedYielder yielder;
    ScriptedClipboard clipboard;

    Services services() {
        Services s{dialogs, launcher, clock, random, programFolder.path()};
        s.yielder = &yielder;
        s.clipboard = &clipboard;
        return s;
    }
};

// Shows the window and waits until it is on the screen; false when it never gets there.
template <class Window>
bool shown(Window& window) {
    window.show();
    return QTest::qWaitForWindowExposed(&window);
}
