// The file dialog part of QtDialogs: Qt's own dialog widget, made to take any number of chosen names,
// to show the caller's filter captions as given, and never to read a file to describe it.
#include "app/MessageText.h"
#include "app/QtDialogs.h"

#include <QFileDialog>
#include <QFileIconProvider>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeDatabase>
#include <QRegularExpression>

#include <limits>

namespace {
// Describes files by their names alone. Qt's own provider reads a file whose name says nothing to
// guess its type, and a read of some files never ends (/proc/kmsg): the dialog would hang with it.
class NameOnlyIconProvider : public QFileIconProvider {
public:
    QIcon icon(IconType type) const override { return QFileIconProvider::icon(type); }
    QIcon icon(const QFileInfo& info) const override {
        if (info.isDir()) return icon(info.isRoot() ? Drive : Folder);
        const QIcon themed = QIcon::fromTheme(mimeType(info).iconName());
        return themed.isNull() ? icon(File) : themed;
    }
    QString type(const QFileInfo& info) const override {
        if (!info.isFile()) return QFileIconProvider::type(info);
        const QMimeType mime = mimeType(info);
        return mime.comment().isEmpty() ? mime.name() : mime.comment();
    }

private:
    QMimeType mimeType(const QFileInfo& info) const {
        return m_types.mimeTypeForFile(info.fileName(), QMimeDatabase::MatchExtension);
    }

    QMimeDatabase m_types;
};

// Shared by every dialog and never destroyed: Qt asks it from a thread of its own, which may still
// run briefly after a dialog has gone.
QAbstractFileIconProvider* nameOnlyIcons() {
    static auto* provider = new NameOnlyIconProvider;
    return provider;
}

// Qt's own file dialog reads any typed text with a double quote in it as a list of quoted names, so
// quo"te.txt would answer te.txt, another file. This one takes such a name exactly as typed; it
// checks it as the dialog checks a name: a folder is opened, a missing file to open is refused.
class FileDialog : public QFileDialog {
public:
    FileDialog(QWidget* parent, const QString& title) : QFileDialog(parent, title) {
        // The widget dialog, whose name box and file descriptions this program controls.
        setOption(DontUseNativeDialog);
        setOption(HideNameFilterDetails);
        setIconProvider(nameOnlyIcons());
        // The box would cut a long list of chosen names at 32,767 characters: the list is taken whole.
        if (QLineEdit* edit = nameEdit()) edit->setMaxLength(std::numeric_limits<int>::max());
    }

    QStringList chosenFiles() const {
        return m_exactName.isEmpty() ? selectedFiles() : QStringList{m_exactName};
    }

protected:
    void accept() override {
        const QLineEdit* edit = nameEdit();
        const QString typed = edit ? edit->text() : QString();
        if (!typed.contains(u'"') || QtDialogs::isQuotedNameList(typed)) return acceptListed();
        const QFileInfo file(directory(), typed);
        if (file.isDir()) return setDirectory(file.absoluteFilePath());
        if (acceptMode() == AcceptOpen && !file.exists()) return refuseMissing(file);
        if (acceptMode() == AcceptSave && file.exists() && !testOption(DontConfirmOverwrite) &&
            !confirmReplace(file))
            return;
        m_exactName = file.absoluteFilePath();
        QDialog::accept();
    }

private:
    QLineEdit* nameEdit() const { return findChild<QLineEdit*>(QStringLiteral("fileNameEdit")); }

    // Qt's dialog would refuse a missing file itself, in a box as long as the name: this one is cut.
    void acceptListed() {
        if (fileMode() == ExistingFiles) {
            for (const QString& path : selectedFiles()) {
                const QFileInfo file(path);
                if (!file.exists() && !file.isDir() && !path.startsWith(u'$')) return refuseMissing(file);
            }
        }
        QFileDialog::accept();
    }
    void refuseMissing(const QFileInfo& file) {
        QMessageBox::warning(
            this, windowTitle(),
            MessageText::bounded(tr("%1\nFile not found.\nPlease verify the correct file name was given.")
                                     .arg(file.fileName())));
    }
    bool confirmReplace(const QFileInfo& file) {
        return QMessageBox::warning(
                   this, windowTitle(),
                   MessageText::bounded(
                       tr("%1 already exists.\nDo you want to replace it?").arg(file.fileName())),
                   QMessageBox::Yes | QMessageBox::No, QMessageBox::No) == QMessageBox::Yes;
    }

    QString m_exactName;
};
}  // namespace

bool QtDialogs::isQuotedNameList(const QString& typed) {
    static const QRegularExpression list(QStringLiteral("^\\s*(\"[^\"]*\"\\s*)+$"));
    return list.match(typed).hasMatch();
}

QStringList QtDialogs::nameFilters(const QString& commonDialogFilter) {
    const QStringList parts = commonDialogFilter.split(u'|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts[i + 1];
        patterns.replace(u';', u' ');
        // "*.*" names every file on Windows, also one without a dot; Qt's "*.*" would not.
        if (patterns == QStringLiteral("*.*")) patterns = QStringLiteral("*");
        // Qt matches the patterns in the last parentheses and, with the details hidden, shows what
        // comes before them: the caption exactly as given.
        filters.append(parts[i].trimmed() + QStringLiteral(" (") + patterns + u')');
    }
    return filters;
}

QStringList QtDialogs::chooseFiles(const FileRequest& request) {
    FileDialog dialog(m_parent, request.title);
    dialog.setNameFilters(nameFilters(request.filter));
    if (request.mode == FileRequest::Mode::Save) {
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        // Unless asked to, the dialog leaves the question about replacing a file to the command.
        dialog.setOption(QFileDialog::DontConfirmOverwrite, !request.confirmOverwrite);
    } else {
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        // Choosing several files needs Qt's existing-files mode, in which the dialog itself refuses a
        // typed name of a missing file with a warning and stays open: the user can correct the name
        // without starting over. A file that vanishes after the dialog closed still gives
        // "File not found". A single-file dialog asks for no existence check.
        dialog.setFileMode(request.multiSelect ? QFileDialog::ExistingFiles : QFileDialog::AnyFile);
    }
    // Without a default suffix, a name typed without an extension stays without one.
    dialog.setDefaultSuffix(request.defaultSuffix);
    if (dialog.exec() != QDialog::Accepted) return {};
    return dialog.chosenFiles();
}
