#include "listfiles/ListFileEncoding.h"

#include "core/Utf8.h"

#include <QStringDecoder>

namespace {
constexpr QByteArrayView kUtf16LeBom("\xFF\xFE");
constexpr QByteArrayView kUtf16BeBom("\xFE\xFF");
constexpr QByteArrayView kUtf32LeBom("\xFF\xFE\0\0", 4);
constexpr QByteArrayView kUtf32BeBom("\0\0\xFE\xFF", 4);

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
    // Before UTF-16's: the UTF-32 little-endian mark starts with the UTF-16 one.
    if (head.startsWith(kUtf32LeBom)) return {ListFileEncoding::Utf32LittleEndian, kUtf32LeBom.size()};
    if (head.startsWith(kUtf32BeBom)) return {ListFileEncoding::Utf32BigEndian, kUtf32BeBom.size()};
    if (head.startsWith(kUtf16LeBom)) return {ListFileEncoding::Utf16LittleEndian, kUtf16LeBom.size()};
    if (head.startsWith(kUtf16BeBom)) return {ListFileEncoding::Utf16BigEndian, kUtf16BeBom.size()};
    return {};
}

void Utf32Check::checkUnits(QByteArrayView units) {
    for (qsizetype at = 0; m_valid && at < units.size(); at += 4) {
        const auto* unit = reinterpret_cast<const uchar*>(units.data() + at);
        const char32_t c =
            char32_t(unit[3]) << 24 | char32_t(unit[2]) << 16 | char32_t(unit[1]) << 8 | unit[0];
        m_valid = c <= 0x10FFFF && (c < 0xD800 || c >= 0xE000);
    }
}

bool Utf32Check::feed(QByteArrayView piece) {
    if (!m_valid) return false;
    if (!m_cut.isEmpty()) {
        const qsizetype taken = qMin(4 - m_cut.size(), piece.size());
        m_cut.append(piece.first(taken));
        piece = piece.sliced(taken);
        if (m_cut.size() < 4) return true;
        checkUnits(m_cut);
        m_cut.clear();
    }
    const qsizetype whole = piece.size() - piece.size() % 4;
    checkUnits(piece.first(whole));
    m_cut = piece.sliced(whole).toByteArray();
    return m_valid;
}

FileStart Utf32Check::fileStart() const {
    if (finish()) return {ListFileEncoding::Utf32LittleEndian, kUtf32LeBom.size()};
    return {ListFileEncoding::Utf16LittleEndian, kUtf16LeBom.size()};
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

QByteArrayView Utf8Validator::wholeSequences(QByteArrayView piece, bool afterEarlierPiece) {
    qsizetype from = 0;
    while (afterEarlierPiece && from < 3 && from < piece.size() && (uchar(piece[from]) & 0xC0) == 0x80)
        ++from;
    return piece.sliced(from, qMax(from, unfinishedFrom(piece)) - from);
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

qsizetype unitSize(ListFileEncoding encoding) {
    switch (encoding) {
        case ListFileEncoding::PerLine:
            return 1;
        case ListFileEncoding::Utf16LittleEndian:
        case ListFileEncoding::Utf16BigEndian:
            return 2;
        case ListFileEncoding::Utf32LittleEndian:
        case ListFileEncoding::Utf32BigEndian:
            return 4;
    }
    return 1;
}

// Qt's UTF-32 decoder turns a value beyond U+10FFFF into arbitrary UTF-16 units; each unit that is
// no character becomes U+FFFD here instead.
QByteArray utf32ToUtf8(QByteArrayView bytes, bool bigEndian) {
    QByteArray out;
    out.reserve(bytes.size());
    for (qsizetype at = 0; at + 4 <= bytes.size(); at += 4) {
        const auto* unit = reinterpret_cast<const uchar*>(bytes.data() + at);
        char32_t c =
            bigEndian ? char32_t(unit[0]) << 24 | char32_t(unit[1]) << 16 | char32_t(unit[2]) << 8 | unit[3]
                      : char32_t(unit[3]) << 24 | char32_t(unit[2]) << 16 | char32_t(unit[1]) << 8 | unit[0];
        if (c > 0x10FFFF || (c >= 0xD800 && c < 0xE000)) c = 0xFFFD;
        appendUtf8(c, out);
    }
    return out;
}

QByteArray UnicodeToUtf8::decode(QByteArrayView bytes) const {
    if (m_unit == 4) return utf32ToUtf8(bytes, m_encoding == ListFileEncoding::Utf32BigEndian);
    // Stateless and with the initial mark kept: each piece is whole, and a U+FEFF after the file's
    // own mark is text.
    const bool bigEndian = m_encoding == ListFileEncoding::Utf16BigEndian;
    QStringDecoder decoder(bigEndian ? QStringConverter::Utf16BE : QStringConverter::Utf16LE,
                           QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    QString text = decoder.decode(bytes);
    replaceUnpairedSurrogates(text);
    return text.toUtf8();
}

// A high surrogate at the end of UTF-16 waits for its low half.
bool UnicodeToUtf8::endsInHighSurrogate(QByteArrayView bytes) const {
    if (m_unit != 2 || bytes.size() < 2) return false;
    const auto a = uchar(bytes[bytes.size() - 2]);
    const auto b = uchar(bytes[bytes.size() - 1]);
    const bool bigEndian = m_encoding == ListFileEncoding::Utf16BigEndian;
    return isHighSurrogate(char16_t(bigEndian ? (a << 8 | b) : (b << 8 | a)));
}

QByteArray UnicodeToUtf8::convert(QByteArrayView piece) {
    QByteArray bytes = m_pending;
    bytes.append(piece);
    qsizetype whole = bytes.size() - bytes.size() % m_unit;
    if (endsInHighSurrogate(QByteArrayView(bytes).first(whole))) whole -= 2;
    m_pending = bytes.sliced(whole);
    bytes.truncate(whole);
    return decode(bytes);
}

QByteArray UnicodeToUtf8::finish() {
    // A cut unit decodes to nothing; it still stands for a character.
    const qsizetype whole = m_pending.size() - m_pending.size() % m_unit;
    QByteArray rest = decode(m_pending.first(whole));
    if (whole < m_pending.size()) rest += "\xEF\xBF\xBD";
    m_pending.clear();
    return rest;
}
