#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include "listfiles/ListFileEncoding.h"

#include <vector>

// Cuts a list file, fed chunk by chunk, into lines. A line ends at CR LF, at CR or at LF; the line
// end is not part of the line, and a CR LF pair split between two chunks is still one line end. A
// line end at the very end of the file gives no further, empty line.
class LineSplitter {
public:
    // Appends to `lines` every line that ends within the next piece of the file. The views point into
    // `chunk` or into the splitter and stay valid until the next call.
    void split(QByteArrayView chunk, std::vector<QByteArrayView>& lines);
    // Once the file has ended: its last line, when that line has no line end of its own.
    bool lastLine(QByteArrayView& line);

private:
    // The line that began in an earlier chunk, finished with `end`, its part in this chunk.
    QByteArrayView completeCarried(QByteArrayView end);
    // Hands out the line from `p` to the line end at `lineEnd`; the start of the next line.
    const char* takeLine(const char* p, const char* lineEnd, const char* end,
                         std::vector<QByteArrayView>& lines);

    // The start of a line that began in an earlier chunk and has not ended yet.
    QByteArray m_carried;
    // The last such line that ended, handed out until the next call.
    QByteArray m_completed;
    bool m_lineOpen = false;
    // The previous chunk ended in CR: an LF at the start of this one completes that line end.
    bool m_skipLf = false;
};

// Counts the lines that a LineSplitter would cut a file into, fed chunk by chunk, without keeping any,
// and measures what they take once decoded. With lines judged one by one, as a list file read line
// by line is, a line that is not UTF-8 is read as Windows-1252, where a byte above 0x7F takes up to
// three bytes.
class LineCounter {
public:
    explicit LineCounter(bool judgeLines = false) : m_judgeLines(judgeLines) {}
    void count(QByteArrayView chunk);
    // The file has ended: a last line left with an unfinished UTF-8 sequence is not UTF-8.
    void finish() { m_finished = true; }

    qint64 lines() const { return m_lineEnds + (m_lineOpen ? 1 : 0); }
    // The bytes counted so far.
    qint64 bytes() const { return m_offset; }
    // The most that the lines counted so far take once decoded, line ends included.
    qint64 decodedBytes() const { return m_offset + m_growth + openGrowth(); }
    // The most that the longest line takes beside the pane while it is read: it is held once, and a
    // line read as Windows-1252 once more, converted. In bytes, line end not included.
    qint64 longestLine() const;

private:
    void endLine(const char* from, const char* to, qint64 length, bool chunkValid);
    void carryLine(const char* from, const char* to);
    qint64 openGrowth() const;

    bool m_judgeLines;
    bool m_finished = false;
    qint64 m_lineEnds = 0;
    bool m_lineOpen = false;
    bool m_afterCr = false;
    // Bytes counted so far, where the current line starts, the longest line that has ended.
    qint64 m_offset = 0;
    qint64 m_lineStart = 0;
    qint64 m_longest = 0;
    // What decoding adds to the lines that have ended.
    qint64 m_growth = 0;
    // The line still open at the end of the last chunk: its UTF-8 so far and its bytes above 0x7F.
    Utf8Validator m_openLine;
    qint64 m_openHigh = 0;
};
