#pragma once

#include "core/Services.h"
#include "support/ScriptedDialogs.h"
#include "support/TestContext.h"

#include <QTemporaryDir>
#include <QUrl>

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

// Everything a test window reaches outside itself, scripted; the program folder is a fresh
// temporary folder, empty unless the test puts a skin or pointer file there.
struct TestServices {
    QTemporaryDir programFolder;
    ScriptedDialogs dialogs;
    RecordingLauncher launcher;
    FixedClock clock;
    FixedRandom random;
    ScriptedYielder yielder{std::chrono::milliseconds(15), 32};
    SkinComponent* skin = nullptr;

    Services services() {
        Services s{dialogs, launcher, clock, random, programFolder.path()};
        s.skin = skin;
        s.yielder = &yielder;
        return s;
    }
};
