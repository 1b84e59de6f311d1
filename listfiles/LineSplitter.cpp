#include "listfiles/LineSplitter.h"

namespace {
const char* findLineEnd(const char* p, const char* end) {
    while (p != end && *p != '\n' && *p != '\r') ++p;
    return p;
}
}  // namespace

void LineSplitter::setChunk(QByteArrayView chunk) {
    m_rest = chunk;
}

void LineSplitter::releaseCarried() {
    if (!m_carriedHandedOut) return;
    m_carried.resize(0);
    m_carriedHandedOut = false;
}

qsizetype LineSplitter::lineEndLength(const char* at, const char* end) {
    if (*at != '\r') return 1;
    // The LF of a CR LF pair may only come with the next chunk.
    if (at + 1 == end) {
        m_skipLf = true;
        return 1;
    }
    return at[1] == '\n' ? 2 : 1;
}

bool LineSplitter::nextLine(QByteArrayView& line) {
    releaseCarried();
    if (m_skipLf && !m_rest.isEmpty()) {
        if (m_rest.front() == '\n') m_rest = m_rest.sliced(1);
        m_skipLf = false;
    }
    const char* begin = m_rest.data();
    const char* end = begin + m_rest.size();
    const char* lineEnd = findLineEnd(begin, end);
    if (lineEnd == end) {
        m_carried.append(m_rest);
        m_lineOpen = m_lineOpen || !m_rest.isEmpty();
        m_rest = {};
        return false;
    }
    const qsizetype used = lineEnd - begin + lineEndLength(lineEnd, end);
    line = QByteArrayView(begin, lineEnd - begin);
    if (m_lineOpen) {
        m_carried.append(line);
        line = m_carried;
        m_carriedHandedOut = true;
    }
    m_lineOpen = false;
    m_rest = m_rest.sliced(used);
    return true;
}

bool LineSplitter::lastLine(QByteArrayView& line) {
    releaseCarried();
    if (!m_lineOpen) return false;
    line = m_carried;
    m_carriedHandedOut = true;
    m_lineOpen = false;
    return true;
}
