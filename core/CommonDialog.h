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
    // Flags bits. Only OverwritePrompt and AllowMultiSelect change what our dialog does; the others
    // keep the value the commands set observable.
    enum Flag : qint32 {
        ReadOnly = 0x1,
        OverwritePrompt = 0x2,
        AllowMultiSelect = 0x200,
        Explorer = 0x80000,
        LongNames = 0x200000,
    };

    explicit CommonDialog(Dialogs& dialogs) : m_dialogs(dialogs) {}

    // FileName, Flags, DialogTitle and Filter: they keep their values between uses. No default
    // extension is ever set: a name typed without one is used as it is.
    const QString& fileName() const { return m_fileName; }
    void setFileName(const QString& name) { m_fileName = name; }
    qint32 flags() const { return m_flags; }
    void setFlags(qint32 flags) { m_flags = flags; }
    const QString& dialogTitle() const { return m_dialogTitle; }
    void setDialogTitle(const QString& title) { m_dialogTitle = title; }
    // In the "Description|pattern|Description|pattern|" form.
    const QString& filter() const { return m_filter; }
    void setFilter(const QString& filter) { m_filter = filter; }

    // Open dialog. The file name becomes "" on Cancel, the full path of one chosen file, or the folder
    // followed by each name, NUL-separated, for several. Throws RunTimeError 20476 when that answer
    // does not fit kMaxFileSize.
    void ShowOpen();
    // Save dialog. The file name becomes the chosen full path, or "" on Cancel. The dialog asks about
    // replacing a file only when the flags hold OverwritePrompt.
    void ShowSave();

    // Composes the open dialog's answer from absolute paths (exposed for tests).
    static QString openAnswer(const QStringList& paths);

private:
    Dialogs& m_dialogs;
    QString m_fileName;
    qint32 m_flags = 0;
    QString m_dialogTitle;
    QString m_filter;
};
