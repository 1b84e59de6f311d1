#pragma once

#include <QByteArray>
#include <QByteArrayView>

// Cuts a list file, fed chunk by chunk, into lines. A line ends at CR LF, at CR or at LF; the line
// end is not part of the line, and a CR LF pair split between two chunks is still one line end. A
// line end at the very end of the file gives no further, empty line.
class LineSplitter {
public:
    // The next piece of the file. Its bytes must stay valid until nextLine() answers false.
    void setChunk(QByteArrayView chunk);
    // The next line that ends within the current chunk. The view is valid until the next call.
    bool nextLine(QByteArrayView& line);
    // Once the file has ended: its last line, when that line has no line end of its own.
    bool lastLine(QByteArrayView& line);

private:
    void releaseCarried();
    // The bytes that the line end at `at` takes: two for CR LF, else one.
    qsizetype lineEndLength(const char* at, const char* end);

    QByteArrayView m_rest;
    // The start of a line that began in an earlier chunk.
    QByteArray m_carried;
    bool m_lineOpen = false;
    bool m_carriedHandedOut = false;
    // The previous chunk ended in CR: an LF at the start of this one completes that line end.
    bool m_skipLf = false;
};
