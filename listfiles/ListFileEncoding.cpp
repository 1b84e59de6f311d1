#include "listfiles/ListFileEncoding.h"

#include <QStringDecoder>

namespace {
constexpr QByteArrayView kUtf8Bom("\xEF\xBB\xBF");
constexpr QByteArrayView kUtf16LeBom("\xFF\xFE");
constexpr QByteArrayView kUtf16BeBom("\xFE\xFF");

// The length that a sequence starting with this byte claims (1 for ASCII and stray bytes).
qsizetype sequenceLength(uchar lead) {
    if (lead >= 0xF0) return 4;
    if (lead >= 0xE0) return 3;
    if (lead >= 0xC0) return 2;
    return 1;
}

// Where an unfinished sequence at the end of the piece starts (the piece's size when none is).
qsizetype unfinishedFrom(QByteArrayView piece) {
    for (qsizetype back = 1; back <= 3 && back <= piece.size(); ++back) {
        const auto byte = uchar(piece[piece.size() - back]);
        if ((byte & 0xC0) == 0x80) continue;
        return back < sequenceLength(byte) ? piece.size() - back : piece.size();
    }
    return piece.size();
}

bool isHighSurrogate(char16_t unit) {
    return unit >= 0xD800 && unit < 0xDC00;
}

// Qt's UTF-16 decoder passes a surrogate without its other half through, and UTF-8 has no form for
// one; it becomes U+FFFD, the usual mark of an undecodable character.
void replaceUnpairedSurrogates(QString& text) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (!text.at(i).isSurrogate()) continue;
        if (text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            ++i;
        else
            text[i] = QChar::ReplacementCharacter;
    }
}
}  // namespace

FileStart recogniseFileStart(QByteArrayView head) {
    if (head.startsWith(kUtf8Bom)) return {ListFileEncoding::PerLine, kUtf8Bom.size()};
    if (head.startsWith(kUtf16LeBom)) return {ListFileEncoding::Utf16LittleEndian, kUtf16LeBom.size()};
    if (head.startsWith(kUtf16BeBom)) return {ListFileEncoding::Utf16BigEndian, kUtf16BeBom.size()};
    return {};
}

QByteArrayView Utf8Validator::completeTail(QByteArrayView piece) {
    const qsizetype missing = sequenceLength(uchar(m_tail[0])) - m_tail.size();
    const qsizetype taken = qMin(missing, piece.size());
    m_tail.append(piece.first(taken));
    if (taken == missing) {
        m_valid = QByteArrayView(m_tail).isValidUtf8();
        m_tail.clear();
    }
    return piece.sliced(taken);
}

bool Utf8Validator::feed(QByteArrayView piece) {
    if (m_valid && !m_tail.isEmpty()) {
        piece = completeTail(piece);
        // Still unfinished: the whole piece went into the tail.
        if (!m_tail.isEmpty()) return m_valid;
    }
    if (!m_valid) return false;
    const qsizetype cut = unfinishedFrom(piece);
    m_valid = piece.first(cut).isValidUtf8();
    m_tail = piece.sliced(cut).toByteArray();
    return m_valid;
}

Windows1252ToUtf8::Windows1252ToUtf8() {
    QStringDecoder decoder("windows-1252", QStringDecoder::Flag::Stateless);
    // Without ICU the code page is missing; Latin-1 still keeps every byte as a character.
    if (!decoder.isValid())
        decoder = QStringDecoder(QStringConverter::Latin1, QStringDecoder::Flag::Stateless);
    for (int byte = 0x80; byte <= 0xFF; ++byte) {
        const char in = char(byte);
        const QByteArray utf8 = QString(decoder.decode(QByteArrayView(&in, 1))).toUtf8();
        Sequence& sequence = m_high[byte - 0x80];
        sequence.size = quint8(qMin<qsizetype>(utf8.size(), 3));
        std::copy_n(utf8.constData(), sequence.size, sequence.bytes);
    }
}

void Windows1252ToUtf8::append(QByteArrayView piece, QByteArray& out) const {
    qsizetype end = out.size();
    // Three bytes per byte is the most any byte of the code page takes.
    out.resize(end + 3 * piece.size());
    char* to = out.data();
    for (const char c : piece) {
        const auto byte = uchar(c);
        if (byte < 0x80) {
            to[end++] = c;
            continue;
        }
        const Sequence& sequence = m_high[byte - 0x80];
        for (quint8 i = 0; i < sequence.size; ++i) to[end++] = sequence.bytes[i];
    }
    out.resize(end);
}

QByteArray Utf16ToUtf8::decode(QByteArrayView bytes) const {
    // Stateless and with the initial mark kept: each piece is whole, and a U+FEFF after the file's
    // own mark is text.
    QStringDecoder decoder(m_bigEndian ? QStringConverter::Utf16BE : QStringConverter::Utf16LE,
                           QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    QString text = decoder.decode(bytes);
    replaceUnpairedSurrogates(text);
    return text.toUtf8();
}

QByteArray Utf16ToUtf8::convert(QByteArrayView piece) {
    QByteArray bytes = m_pending;
    bytes.append(piece);
    qsizetype whole = bytes.size() & ~qsizetype(1);
    // A high surrogate at the end waits for its low half.
    if (whole >= 2) {
        const auto a = uchar(bytes[whole - 2]);
        const auto b = uchar(bytes[whole - 1]);
        if (isHighSurrogate(char16_t(m_bigEndian ? (a << 8 | b) : (b << 8 | a)))) whole -= 2;
    }
    m_pending = bytes.sliced(whole);
    bytes.truncate(whole);
    return decode(bytes);
}

QByteArray Utf16ToUtf8::finish() {
    // An odd byte on its own decodes to nothing; it still stands for a character.
    QByteArray rest = decode(m_pending.first(m_pending.size() & ~qsizetype(1)));
    if (m_pending.size() % 2 != 0) rest += "\xEF\xBF\xBD";
    m_pending.clear();
    return rest;
}
