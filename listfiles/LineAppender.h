#pragma once

#include "listfiles/LineSplitter.h"
#include "listfiles/ListFileEncoding.h"
#include "store/ItemStore.h"

#include <QByteArrayView>

#include <span>
#include <vector>

class ListPane;
class Yielder;

// Cuts text, fed piece by piece, into lines as a list file is cut, and appends them to the end of a
// pane in batches: one insertion before every yield, so the window shows what has come so far, and
// whenever a batch grows large. A very long line skips the batch and goes to the pane on its own.
// Loading a file, pasting and dropping text all go through it.
class LineAppender {
public:
    // What the pieces are: UTF-8 already, or a list file's bytes, whose lines are judged one by one:
    // a line that is valid UTF-8 is taken as it is, any other is read as Windows-1252.
    enum class Text { Utf8, Utf8OrWindows1252Lines };

    LineAppender(ListPane& pane, Yielder& yielder, Text text = Text::Utf8)
        : m_pane(pane), m_yielder(yielder), m_text(text) {}

    // The next piece of the text; a line may go on in the next piece.
    void feed(QByteArrayView bytes);
    // The text has ended: its last line too, when that has no line end, goes to the pane.
    void finish();
    // Hands the lines collected so far to the pane, as after a failure.
    void flush();

private:
    void addLines(std::span<const QByteArrayView> lines);
    void addOneByOne(std::span<const QByteArrayView> lines);
    void addLine(QByteArrayView line);
    void addUtf8(QByteArrayView line);
    void addConverted(QByteArrayView line);
    bool isUtf8(QByteArrayView line);
    void addToBatch(std::span<const QByteArrayView> lines);
    void yieldIfDueNow();
    void yieldNow();

    ListPane& m_pane;
    Yielder& m_yielder;
    Text m_text;
    LineSplitter m_splitter;
    // Scratch space kept between pieces.
    std::vector<QByteArrayView> m_lines;
    ItemStore m_batch;
    Windows1252ToUtf8 m_windows1252;
    QByteArray m_converted;
};
