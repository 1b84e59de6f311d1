#pragma once

#include "core/Dialogs.h"
#include "core/Services.h"

#include <QStringList>
#include <QTemporaryDir>

#include <utility>

// Dialogs that answer at once, as a user who knows what they want: the next file dialog gives the
// files set beforehand, the input box the search text, a Yes/No question Yes and every other box OK.
// Error reports are kept, so a run that failed is not mistaken for a fast one.
class BenchDialogs : public Dialogs {
public:
    QStringList nextFiles;
    QString nextInput;
    QStringList errorReports;

    Answer message(const QString& text, const QString& title, Buttons buttons, Icon) override {
        if (title == QStringLiteral("Application Error")) errorReports.append(text);
        return buttons == Buttons::YesNo ? Answer::Yes : Answer::Ok;
    }
    QString input(const QString&, const QString&) override { return nextInput; }
    QStringList chooseFiles(const FileRequest&) override { return std::exchange(nextFiles, {}); }
    std::optional<MatchOn> chooseColumn(const ColumnRequest&) override { return std::nullopt; }
};

class NoLauncher : public HomePageLauncher {
public:
    void open(const QUrl&) override {}
};

class NoonClock : public Clock {
public:
    double secondsSinceMidnight() const override { return 12 * 3600; }
};

// Never low enough to visit the home page at start-up.
class HighRandom : public RandomSource {
public:
    void seed(double) override {}
    double next() override { return 0.99; }
};

// Everything the window reaches outside itself; the program folder is empty (no skin, no pointer
// file) and the window keeps its own yielder, as the real program does.
struct BenchServices {
    QTemporaryDir programFolder;
    BenchDialogs dialogs;
    NoLauncher launcher;
    NoonClock clock;
    HighRandom random;

    Services services() { return Services{dialogs, launcher, clock, random, programFolder.path()}; }
};
