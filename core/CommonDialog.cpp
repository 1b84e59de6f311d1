#include "core/CommonDialog.h"

#include "core/Dialogs.h"
#include "core/RunTimeError.h"

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

ChosenFiles ChosenFiles::fromAnswer(const QString& answer) {
    if (answer.isEmpty()) return {};
    QStringList parts = answer.split(QChar(u'\0'));
    if (parts.size() == 1) return {QString(), parts};
    const QString folder = parts.takeFirst();
    return {folder, parts};
}

ChosenFiles ChosenFiles::fromPaths(const QStringList& paths) {
    if (paths.size() <= 1) return {QString(), paths};
    const QString folder = commonFolder(paths);
    const QDir dir(folder);
    ChosenFiles chosen{QDir::toNativeSeparators(folder), {}};
    for (const QString& path : paths)
        chosen.names.append(QDir::toNativeSeparators(dir.relativeFilePath(path)));
    return chosen;
}

QString CommonDialog::openAnswer(const QStringList& paths) {
    const ChosenFiles chosen = ChosenFiles::fromPaths(paths);
    if (chosen.isEmpty()) return {};
    if (chosen.folder.isEmpty()) return QDir::toNativeSeparators(chosen.names.first());
    return chosen.folder + QChar(u'\0') + chosen.names.join(QChar(u'\0'));
}

void CommonDialog::ShowOpen() {
    const Dialogs::FileRequest request{Dialogs::FileRequest::Mode::Open,  m_dialogTitle, m_filter,
                                       (m_flags & AllowMultiSelect) != 0, false,         QString()};
    const QString answer = openAnswer(m_dialogs.chooseFiles(request));
    // The buffer also holds a terminating NUL, and a second one after several names.
    const qsizetype needed = answer.size() + (answer.contains(QChar(u'\0')) ? 2 : 1);
    if (!answer.isEmpty() && needed > kMaxFileSize) {
        m_fileName.clear();
        throw RunTimeError(
            QStringLiteral("The FileName buffer is too small to store the selected file name(s)."),
            kBufferTooSmall);
    }
    m_fileName = answer;
}

void CommonDialog::ShowSave() {
    const Dialogs::FileRequest request{Dialogs::FileRequest::Mode::Save, m_dialogTitle, m_filter, false,
                                       (m_flags & OverwritePrompt) != 0, QString()};
    const QStringList paths = m_dialogs.chooseFiles(request);
    m_fileName = paths.isEmpty() ? QString() : QDir::toNativeSeparators(paths.first());
}
