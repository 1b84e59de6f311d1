#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <array>

// How a list file's bytes become the panes' UTF-8. The system code page here is UTF-8, but lists are
// often put together from several sources, so each line is judged on its own: a line that is valid
// UTF-8 is taken as it is, any other was most likely written in a Windows code page and is read as
// Windows-1252, which keeps every byte as a character instead of replacing it. A file that starts
// with a UTF-16 or UTF-32 byte-order mark is in that encoding throughout.
// The UTF-8 byte-order mark: skipped at a file's or a pasted text's start, and written before a first
// item that begins with U+FEFF so that a load keeps it.
inline constexpr QByteArrayView kUtf8Bom("\xEF\xBB\xBF");

enum class ListFileEncoding { PerLine, Utf16LittleEndian, Utf16BigEndian, Utf32LittleEndian, Utf32BigEndian };

// The most bytes a byte-order mark takes.
inline constexpr qsizetype kLongestMark = 4;

struct FileStart {
    ListFileEncoding encoding = ListFileEncoding::PerLine;
    // The byte-order mark's length: it is not text.
    qsizetype markSize = 0;
};

// Tells the file's encoding from its first bytes (kLongestMark of them, fewer in a shorter file). The
// UTF-32 little-endian mark is also UTF-16's followed by U+0000: Utf32Check tells which it is.
FileStart recogniseFileStart(QByteArrayView head);

// Whether the bytes after a UTF-32 little-endian mark are UTF-32: whole code units, each a character
// (nothing beyond U+10FFFF, no surrogate). Otherwise the file is UTF-16 whose first character is
// U+0000. Fed in pieces of any length.
class Utf32Check {
public:
    // False once the bytes so far cannot be UTF-32, whatever comes next.
    bool feed(QByteArrayView piece);
    bool validSoFar() const { return m_valid; }
    // True when everything fed is UTF-32 and no code unit was left cut.
    bool finish() const { return m_valid && m_cut.isEmpty(); }
    // What the file is, given that it starts with the UTF-32 little-endian mark.
    FileStart fileStart() const;

private:
    void checkUnits(QByteArrayView units);

    QByteArray m_cut;
    bool m_valid = true;
};

// Checks UTF-8 validity piece by piece; a sequence may be split across pieces.
class Utf8Validator {
public:
    // False once the bytes so far cannot be UTF-8.
    bool feed(QByteArrayView piece);
    // True when everything fed is UTF-8 and no sequence was left unfinished.
    bool finish() const { return m_valid && m_tail.isEmpty(); }
    // False once the bytes so far cannot be UTF-8, whatever comes next.
    bool validSoFar() const { return m_valid; }
    // Where a piece's whole sequences start and end: continuation bytes at its start, which finish a
    // sequence of the piece before, and an unfinished sequence at its end stay outside.
    static QByteArrayView wholeSequences(QByteArrayView piece, bool afterEarlierPiece);

private:
    QByteArrayView completeTail(QByteArrayView piece);

    QByteArray m_tail;
    bool m_valid = true;
};

// Windows-1252 to UTF-8, a byte at a time through a table, so pieces of a line need no state between
// them. The code page's five undefined bytes become the C1 controls of the same value, as ICU's table
// has them, so none is lost.
class Windows1252ToUtf8 {
public:
    Windows1252ToUtf8();
    // Appends the piece's UTF-8 to `out`.
    void append(QByteArrayView piece, QByteArray& out) const;

private:
    struct Sequence {
        char bytes[3];
        quint8 size;
    };
    std::array<Sequence, 128> m_high{};
};

// The bytes of a code unit: 1 for a file read line by line, 2 for UTF-16, 4 for UTF-32.
qsizetype unitSize(ListFileEncoding encoding);

// UTF-16 or UTF-32 of either byte order to UTF-8, fed in pieces of any length. A code unit or
// surrogate pair split between pieces waits for the next one; a cut last unit or an unpaired
// surrogate becomes U+FFFD.
class UnicodeToUtf8 {
public:
    explicit UnicodeToUtf8(ListFileEncoding encoding) : m_encoding(encoding), m_unit(unitSize(encoding)) {}
    QByteArray convert(QByteArrayView piece);
    // What is left once the file has ended.
    QByteArray finish();

private:
    QByteArray decode(QByteArrayView bytes) const;
    bool endsInHighSurrogate(QByteArrayView bytes) const;

    ListFileEncoding m_encoding;
    qsizetype m_unit;
    QByteArray m_pending;
};
