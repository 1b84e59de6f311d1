#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QStringDecoder>

class QIODevice;
class Yielder;

// How a list file's bytes become the panes' UTF-8. The system code page here is UTF-8; a file that
// is not valid UTF-8 was most likely written in a Windows code page, and reading it as Windows-1252
// keeps every byte as a character instead of replacing it.
enum class ListFileEncoding { Utf8, Utf8WithBom, Windows1252 };

inline constexpr QByteArrayView kUtf8Bom("\xEF\xBB\xBF");

struct EncodingCheck {
    ListFileEncoding encoding = ListFileEncoding::Utf8;
    // The bytes that were checked; the lines are read from these and no more.
    qint64 size = 0;
};

// Checks UTF-8 validity piece by piece; a sequence may be split across pieces.
class Utf8Validator {
public:
    // False once the bytes so far cannot be UTF-8.
    bool feed(QByteArrayView piece);
    // True when everything fed is UTF-8 and no sequence was left unfinished.
    bool finish() const { return m_valid && m_tail.isEmpty(); }

private:
    QByteArrayView completeTail(QByteArrayView piece);

    QByteArray m_tail;
    bool m_valid = true;
};

// Reads the device from its current position to its end, in chunks, yielding between them. A UTF-8
// byte-order mark names the encoding only when the rest of the file is UTF-8 too; any invalid byte
// makes the whole file Windows-1252, so nothing is ever replaced. Throws RunTimeError when reading fails.
EncodingCheck detectListFileEncoding(QIODevice& device, Yielder& yielder, qsizetype chunkSize);

// Windows-1252 to UTF-8. Single bytes carry no state between chunks. ICU's table turns the five bytes
// that the code page leaves undefined into the C1 controls of the same value, so none is lost.
class Windows1252ToUtf8 {
public:
    Windows1252ToUtf8();
    QByteArray convert(QByteArrayView chunk);

private:
    QStringDecoder m_decoder;
};
