#pragma once

#include <QString>
#include <QStringList>

class QMimeData;

// What a drop onto a pane brings, as far as a pane takes it: local files to load, or text to append.
// Anything else (addresses of other machines, pictures) is refused.
struct ListDrop {
    enum class Kind { Refused, Files, Text };

    Kind kind = Kind::Refused;
    // Files: their paths in the order of the drop.
    QStringList paths;
    QString text;

    // Looks at what the data offers and at the addresses of its files (and whether they are folders),
    // never at its text, which a drag from another program would have to fetch from there.
    static Kind kindOf(const QMimeData& data);
    // Takes the files or the text out of the data.
    static ListDrop take(const QMimeData& data);
};
