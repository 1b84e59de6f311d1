#include "listfiles/ReplacedFileHold.h"

#include <QFile>
#include <QFileInfo>
#include <QThreadPool>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <unistd.h>
#endif

ReplacedFileHold::ReplacedFileHold(const QString& path) {
#ifdef Q_OS_UNIX
    // Only a regular file: opening a FIFO or a device could wait or act on the device.
    if (!QFileInfo(path).isFile()) return;
    m_handle = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
#else
    Q_UNUSED(path);
#endif
}

ReplacedFileHold::~ReplacedFileHold() {
#ifdef Q_OS_UNIX
    if (m_handle < 0) return;
    QThreadPool::globalInstance()->start([handle = m_handle] { ::close(handle); });
#endif
}
