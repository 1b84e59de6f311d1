#include "listfiles/FileCommands.h"

#include "core/CommandContext.h"
#include "core/CommonDialog.h"
#include "core/Dialogs.h"
#include "core/ErrorReport.h"
#include "core/MainModule.h"
#include "core/WindowState.h"
#include "core/Yielder.h"
#include "listfiles/FileErrors.h"
#include "listfiles/ListFileReader.h"
#include "listfiles/ListFileWriter.h"
#include "listfiles/PathRepair.h"
#include "listfiles/ReplacedFileHold.h"
#include "panes/ItemStore.h"
#include "panes/ListPane.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace {
const auto kFilter = QStringLiteral("Text Files (*.txt)|*.txt|All Files (*.*)|*.*|");

QString formOrigin(const char* handler) {
    return ErrorReporter::origin(QStringLiteral("Form1"), QString::fromLatin1(handler));
}

QString loadOrigin(int listNumber) {
    return formOrigin(listNumber == 1 ? "PushButton3_Click" : "PushButton14_Click");
}

void inform(CommandContext& context, const QString& text) {
    context.dialogs.message(text, context.window.appTitle(), Dialogs::Buttons::Ok, Dialogs::Icon::None);
}

void setPointer(CommandContext& context, WindowState::Pointer pointer) {
    context.window.setMousePointer(pointer);
}

// Statements 100 to 108. False when the command must end: the names did not fit the dialog's buffer.
bool askForFilesToLoad(Procedure& p, CommandContext& context) {
    CommonDialog& dialog = context.commonDialog1;
    p.run(100, [&] { dialog.FileName.clear(); });
    p.run(102, [&] { dialog.Flags = FileCommands::kDialogFlags; });
    p.run(104, [&] {
        dialog.DialogTitle = QStringLiteral("Load List(s) - Hold Ctrl to select multiple list files");
    });
    p.run(106, [&] { dialog.Filter = kFilter; });
    bool tooMany = false;
    p.run(108, [&] {
        try {
            dialog.ShowOpen();
        } catch (const RunTimeError& e) {
            if (e.number() != CommonDialog::kBufferTooSmall) throw;
            tooMany = true;
        }
    });
    if (!tooMany) return true;
    inform(context,
           QStringLiteral(
               "You've selected too many files to add.\r\rPlease try adding via the \"Add All\" button."));
    return false;
}

// Statements 116 to 136: one path as it was given, or each name under the folder.
void loadEach(Procedure& p, CommandContext& context, ListPane& pane, const ChosenFiles& files) {
    // u counts the parts of the dialog's answer after the first, as the answer is split.
    const int u = files.folder.isEmpty() ? int(files.names.size()) - 1 : int(files.names.size());
    if (p.test(116, [&] { return u == 0; })) {
        QString path;
        p.run(118, [&] { path = files.names.at(0); });
        p.run(120, [&] { FileCommands::LoadFileIntoList(context, pane, path); });
    } else if (p.test(122, [&] { return u > 0; })) {
        QString folder;
        int last = 0;
        p.run(124, [&] { folder = files.folder; });
        p.run(126, [&] { last = u; });
        const auto bounds = [&] { return Procedure::Range{1, last, 1}; };
        p.forLoop(128, 136, bounds, [&](int i) {
            QString path;
            p.run(130, [&] { path = PathRepair::joinChosenPath(folder, files.names.at(i - 1)); });
            p.run(132, [&] { path = RemoveDoubleBackslashes(path); });
            p.run(134, [&] { FileCommands::LoadFileIntoList(context, pane, path); });
        });
    }
}

// Statements 106 to 126. The chosen path, or "" when the user cancelled or declined to replace.
QString askForFileToSave(Procedure& p, CommandContext& context) {
    CommonDialog& dialog = context.commonDialog1;
    p.run(106, [&] { dialog.FileName.clear(); });
    p.run(108, [&] { dialog.Flags = FileCommands::kDialogFlags; });
    p.run(110, [&] { dialog.DialogTitle = QStringLiteral("Save"); });
    p.run(112, [&] { dialog.Filter = kFilter; });
    p.run(114, [&] { dialog.ShowSave(); });
    QString path;
    p.run(116, [&] { path = dialog.FileName; });
    if (p.test(118, [&] { return path.isEmpty(); })) return {};
    Dialogs::Answer answer = Dialogs::Answer::Yes;
    if (p.test(120, [&] { return Main::FileExists(path); })) {
        p.run(122, [&] {
            answer = context.dialogs.message(
                QStringLiteral("Are you sure you wish to overwrite ") + path + QStringLiteral(" ?"),
                context.window.appTitle(), Dialogs::Buttons::YesNo, Dialogs::Icon::None);
        });
    } else {
        p.run(124, [&] { answer = Dialogs::Answer::Yes; });
    }
    if (p.test(126, [&] { return answer != Dialogs::Answer::Yes; })) return {};
    return path;
}

// Statements 130 to 140. The list goes to a temporary file beside the target, which replaces the
// target only once every byte is written, so a failure leaves the old file as it was. False after
// the one report of a failure.
bool writePane(Procedure& p, CommandContext& context, ListPane& pane, const QString& path) {
    QSaveFile file(path);
    if (!p.run(130, [&] {
            constexpr QIODevice::OpenMode mode = QIODevice::WriteOnly | QIODevice::Unbuffered;
            if (!file.open(mode)) throw FileErrors::openError(file, mode);
        }))
        return false;
    // A snapshot keeps the file equal to the list as it was now, whatever runs during the yields.
    ItemStore items;
    p.run(132, [&] { items = pane.snapshot(); });
    if (!p.run(136, [&] { ListFileWriter::write(file, items, context.yielder); })) return false;
    return p.run(140, [&] {
        // The commit syncs to disk what the writer has not sent there yet, which may take a while:
        // the window gets its turn first.
        context.yielder.yieldNow();
        const ReplacedFileHold oldFile(path);
        if (!file.commit()) throw FileErrors::ioError(file);
    });
}
}  // namespace

namespace FileCommands {

void load(CommandContext& context, int listNumber) {
    Procedure p(context.reporter, loadOrigin(listNumber));
    if (!askForFilesToLoad(p, context)) return;
    if (p.test(110, [&] { return context.commonDialog1.FileName.isEmpty(); })) return;
    ChosenFiles files;
    p.run(112, [&] { files = ChosenFiles::fromAnswer(context.commonDialog1.FileName); });
    loadChosenFiles(context, listNumber, files, p);
}

void loadChosenFiles(CommandContext& context, int listNumber, const ChosenFiles& files) {
    Procedure p(context.reporter, loadOrigin(listNumber));
    loadChosenFiles(context, listNumber, files, p);
}

void loadChosenFiles(CommandContext& context, int listNumber, const ChosenFiles& files, Procedure& p) {
    ListPane& pane = context.pane(listNumber);
    // All the files are one undo step.
    const PaneStep step(pane);
    p.run(114, [&] { setPointer(context, WindowState::WaitPointer); });
    loadEach(p, context, pane, files);
    p.run(138, [&] { setPointer(context, WindowState::DefaultPointer); });
}

void save(CommandContext& context, int listNumber) {
    Procedure p(context.reporter, formOrigin(listNumber == 1 ? "PushButton20_Click" : "PushButton13_Click"));
    ListPane& pane = context.pane(listNumber);
    const QString path = askForFileToSave(p, context);
    if (path.isEmpty()) return;
    p.run(128, [&] { setPointer(context, WindowState::WaitPointer); });
    if (writePane(p, context, pane, path)) p.run(142, [&] { inform(context, QStringLiteral("Done.")); });
    p.run(144, [&] { setPointer(context, WindowState::DefaultPointer); });
}

void LoadFileIntoList(CommandContext& context, ListPane& pane, const QString& path) {
    if (!Main::FileExists(path)) {
        inform(context, QStringLiteral("File not found"));
        return;
    }
    // A folder or a device would never end or would load garbage; only regular files are lists.
    const QFileInfo info(path);
    if (!info.isFile()) throw FileErrors::notAFile(path, info.isDir());
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) throw FileErrors::openError(file, QIODevice::ReadOnly);
    ListFileReader::read(file, pane, context.yielder);
}

}  // namespace FileCommands
