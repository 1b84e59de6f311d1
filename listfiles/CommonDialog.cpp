#include "listfiles/CommonDialog.h"

#include "app/Dialogs.h"
#include "app/RunTimeError.h"

#include <QDir>
#include <QFileInfo>

namespace {
// The folder, in native form, that a multi-file answer starts with.
QString commonFolder(const QStringList& paths) {
    QString folder = QFileInfo(paths.first()).absolutePath();
    for (const QString& path : paths) {
        while (!path.startsWith(folder == QStringLiteral("/") ? folder : folder + u'/') && folder.size() > 1)
            folder = QFileInfo(folder).absolutePath();
    }
    return folder;
}
}  // namespace

QString CommonDialog::openAnswer(const QStringList& paths) {
    if (paths.isEmpty()) return {};
    if (paths.size() == 1) return QDir::toNativeSeparators(paths.first());
    const QString folder = commonFolder(paths);
    const QDir dir(folder);
    QString answer = QDir::toNativeSeparators(folder);
    for (const QString& path : paths)
        answer += QChar(u'\0') + QDir::toNativeSeparators(dir.relativeFilePath(path));
    return answer;
}

void CommonDialog::ShowOpen() {
    const Dialogs::FileRequest request{Dialogs::FileRequest::Mode::Open, DialogTitle, Filter,
                                       (Flags & kAllowMultiSelect) != 0, false,       QString()};
    const QString answer = openAnswer(m_dialogs.chooseFiles(request));
    // The buffer also holds a terminating NUL, and a second one after several names.
    const qsizetype needed = answer.size() + (answer.contains(QChar(u'\0')) ? 2 : 1);
    if (!answer.isEmpty() && needed > kMaxFileSize) {
        FileName.clear();
        throw RunTimeError(
            QStringLiteral("The FileName buffer is too small to store the selected file name(s)."),
            kBufferTooSmall);
    }
    FileName = answer;
}

void CommonDialog::ShowSave() {
    const Dialogs::FileRequest request{Dialogs::FileRequest::Mode::Save, DialogTitle, Filter, false,
                                       (Flags & kOverwritePrompt) != 0,  DefaultExt};
    const QStringList paths = m_dialogs.chooseFiles(request);
    FileName = paths.isEmpty() ? QString() : QDir::toNativeSeparators(paths.first());
}
