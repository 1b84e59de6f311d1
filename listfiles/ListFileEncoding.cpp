#include "listfiles/ListFileEncoding.h"

#include "core/Yielder.h"
#include "listfiles/FileErrors.h"

#include <QIODevice>

namespace {
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
}  // namespace

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

EncodingCheck detectListFileEncoding(QIODevice& device, Yielder& yielder, qsizetype chunkSize) {
    QByteArray chunk(chunkSize, Qt::Uninitialized);
    QByteArray head;
    Utf8Validator validator;
    EncodingCheck check;
    for (;;) {
        const qint64 got = device.read(chunk.data(), chunkSize);
        if (got < 0) throw FileErrors::ioError(device);
        if (got == 0) break;
        const QByteArrayView piece(chunk.constData(), got);
        if (head.size() < kUtf8Bom.size())
            head.append(piece.first(qMin(piece.size(), kUtf8Bom.size() - head.size())));
        check.size += got;
        validator.feed(piece);
        if (yielder.dueNow()) yielder.yieldNow();
    }
    if (!validator.finish())
        check.encoding = ListFileEncoding::Windows1252;
    else if (head == kUtf8Bom)
        check.encoding = ListFileEncoding::Utf8WithBom;
    return check;
}

Windows1252ToUtf8::Windows1252ToUtf8() : m_decoder("windows-1252") {
    // Without ICU the code page is missing; Latin-1 still keeps every byte as a character.
    if (!m_decoder.isValid()) m_decoder = QStringDecoder(QStringConverter::Latin1);
}

QByteArray Windows1252ToUtf8::convert(QByteArrayView chunk) {
    return QString(m_decoder.decode(chunk)).toUtf8();
}
