#include "listfiles/ReplacedFileHold.h"

#include "core/Platform.h"
#include "core/TaskThreads.h"

ReplacedFileHold::ReplacedFileHold(const QString& path) : m_handle(Platform::holdFile(path)) {}

ReplacedFileHold::~ReplacedFileHold() {
    if (m_handle < 0) return;
    TaskThreads::shared().start([handle = m_handle] { Platform::closeHeldFile(handle); });
}
