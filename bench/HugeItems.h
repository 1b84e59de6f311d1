#pragma once

#include "FormDriver.h"

#include <QList>
#include <QString>

// The benchmark case of very long and odd items: a file whose second line is a huge item, and a file
// of texts without simple glyph widths (a million combining accents, right-to-left text with
// direction overrides, control characters). For each: the load's time, longest event-loop gap and
// peak memory growth, the longest repaint of the pane with the items in view and while scrolling
// across a widened column, the save's time and gap, and whether the saved file equals the loaded one.
class HugeItems {
public:
    HugeItems(QString dataFolder, qint64 hugeItemBytes, int runs);
    // Prints the table; answers the process's exit code (1 when a run failed or a save differed).
    int run();

private:
    struct Case {
        QString name;
        QString path;
    };
    struct Run {
        Measurement load;
        QList<double> repaints;
        double scrollMs = 0;
        Measurement save;
        bool same = false;
    };
    Run runCase(const Case& c);
    bool report(const Case& c, const QList<Run>& runs) const;
    QList<double> repaintsMs(int repaints);
    double longestScrollRepaintMs();

    QString m_dataFolder;
    qint64 m_hugeItemBytes;
    int m_runs;
    FormDriver m_driver;
};
