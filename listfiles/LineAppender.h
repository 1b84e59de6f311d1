#pragma once

#include "listfiles/LineSplitter.h"
#include "panes/ItemStore.h"

#include <QByteArrayView>

#include <span>
#include <vector>

class ListPane;
class Yielder;

// Cuts UTF-8 text, fed piece by piece, into lines as a list file is cut, and appends them to the end
// of a pane in batches: one insertion before every yield, so the window shows what has come so far,
// and whenever a batch grows large. Loading a file, pasting and dropping text all go through it.
class LineAppender {
public:
    LineAppender(ListPane& pane, Yielder& yielder) : m_pane(pane), m_yielder(yielder) {}

    // The next piece of the text; a line may go on in the next piece.
    void feed(QByteArrayView utf8);
    // The text has ended: its last line too, when that has no line end, goes to the pane.
    void finish();
    // Hands the lines collected so far to the pane, as after a failure.
    void flush();

private:
    void add(std::span<const QByteArrayView> lines);
    void yieldNow();

    ListPane& m_pane;
    Yielder& m_yielder;
    LineSplitter m_splitter;
    // Scratch space kept between pieces.
    std::vector<QByteArrayView> m_lines;
    ItemStore m_batch;
};
