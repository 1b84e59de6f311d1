#pragma once

#include <QString>
#include <QStringList>

class Dialogs;

// Files to load, named as the open dialog answers: one full path as it was given, or a folder and
// the names of files in it, in the dialog's order.
struct ChosenFiles {
    // Empty when a single path was chosen; `names` then holds that path.
    QString folder;
    QStringList names;

    bool isEmpty() const { return names.isEmpty(); }
    // The dialog's answer split at its NUL characters: "" (Cancel), one path, or folder NUL names.
    static ChosenFiles fromAnswer(const QString& answer);
    // Absolute paths from elsewhere (a drop): one stays as it is; several go under their common folder.
    static ChosenFiles fromPaths(const QStringList& paths);
};

// The one file dialog object that the load and save commands of both panes share. Its properties
// keep their values between uses, like the common dialog they stand for.
class CommonDialog {
public:
    // Room for everything the dialog answers, NUL separators and terminators included.
    static constexpr int kMaxFileSize = 30000;
    // Raised by ShowOpen when the chosen names do not fit the name buffer.
    static constexpr int kBufferTooSmall = 20476;
    // Flags bits that change what the dialog does.
    static constexpr qint32 kOverwritePrompt = 0x2;
    static constexpr qint32 kAllowMultiSelect = 0x200;

    explicit CommonDialog(Dialogs& dialogs) : m_dialogs(dialogs) {}

    QString FileName;
    qint32 Flags = 0;
    QString DialogTitle;
    QString Filter;
    // The extension the save dialog adds to a name typed without one; the commands never set it.
    QString DefaultExt;

    // Open dialog. FileName becomes "" on Cancel, the full path of one chosen file, or the folder
    // followed by each name, NUL-separated, for several. Throws RunTimeError 20476 when that answer
    // does not fit kMaxFileSize.
    void ShowOpen();
    // Save dialog. FileName becomes the chosen full path, or "" on Cancel. The dialog asks about
    // replacing a file only when Flags hold kOverwritePrompt.
    void ShowSave();

    // Composes the open dialog's answer from absolute paths (exposed for tests).
    static QString openAnswer(const QStringList& paths);

private:
    Dialogs& m_dialogs;
};
