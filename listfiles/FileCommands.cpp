#include "listfiles/FileCommands.h"

#include "core/CommonDialog.h"
#include "core/Dialogs.h"
#include "core/ErrorReport.h"
#include "core/MainModule.h"
#include "core/SystemMemory.h"
#include "core/WindowState.h"
#include "core/Yielder.h"
#include "listfiles/FileErrors.h"
#include "listfiles/ListFileReader.h"
#include "listfiles/ListFileWriter.h"
#include "listfiles/PathRepair.h"
#include "store/CommandContext.h"
#include "store/ItemStore.h"
#include "store/ListPane.h"
#include "store/PaneChange.h"
#include "store/ResultLine.h"

#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>

namespace {
// Statement numbers of the load command (the error report shows them).
namespace LoadLine {
enum : int {
    ClearName = 100,
    SetFlags = 102,
    SetTitle = 104,
    SetFilter = 106,
    ShowOpen = 108,
    TestCancel = 110,
    SplitAnswer = 112,
    SetWait = 114,
    TestOne = 116,
    TakePath = 118,
    LoadOne = 120,
    TestSeveral = 122,
    TakeFolder = 124,
    TakeLast = 126,
    ForEach = 128,
    JoinPath = 130,
    RepairPath = 132,
    LoadEach = 134,
    NextFile = 136,
    SetDefault = 138,
};
}

// Statement numbers of the save command.
namespace SaveLine {
enum : int {
    StillChanging = 104,
    ClearName = 106,
    SetFlags = 108,
    SetTitle = 110,
    SetFilter = 112,
    ShowSave = 114,
    TakePath = 116,
    TestCancel = 118,
    TestExists = 120,
    AskOverwrite = 122,
    AssumeYes = 124,
    TestAnswer = 126,
    SetWait = 128,
    Open = 130,
    Snapshot = 132,
    Write = 136,
    Close = 140,
    Done = 142,
    SetDefault = 144,
};
}

const auto kFilter = QStringLiteral("Text Files (*.txt)|*.txt|All Files (*.*)|*.*|");
// Exports come as .csv and .tsv as often as lists come as .txt: the Open dialog shows all three first.
const auto kOpenFilter =
    QStringLiteral("Text and CSV Files (*.txt *.csv *.tsv)|*.txt;*.csv;*.tsv|") + kFilter;
const auto kStillChanging =
    QStringLiteral("List %1 is still changing. Save it when the current command has finished.");

void inform(CommandContext& context, const QString& text) {
    context.dialogs.message(text, context.window.appTitle(), Dialogs::Buttons::Ok, Dialogs::Icon::None);
}

// A save of a list that another command is still changing would write a part of it, or a mix.
bool refuseSaveWhileChanging(Procedure& p, CommandContext& context, int listNumber) {
    if (!context.window.inUse(listNumber)) return false;
    p.run(SaveLine::StillChanging, [&] { inform(context, kStillChanging.arg(listNumber)); });
    return true;
}

// Statements 100 to 108. False when the command must end: the names did not fit the dialog's buffer.
bool askForFilesToLoad(Procedure& p, CommandContext& context) {
    CommonDialog& dialog = context.commonDialog1;
    p.run(LoadLine::ClearName, [&] { dialog.setFileName(QString()); });
    p.run(LoadLine::SetFlags, [&] { dialog.setFlags(FileCommands::kDialogFlags); });
    p.run(LoadLine::SetTitle, [&] {
        dialog.setDialogTitle(QStringLiteral("Load List(s) - Hold Ctrl to select multiple list files"));
    });
    p.run(LoadLine::SetFilter, [&] { dialog.setFilter(kOpenFilter); });
    bool tooMany = false;
    p.run(LoadLine::ShowOpen, [&] {
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

// u counts the parts of the dialog's answer after the first, as the answer is split.
int partsAfterFirst(const ChosenFiles& files) {
    return files.folder.isEmpty() ? int(files.names.size()) - 1 : int(files.names.size());
}

// Statements 116 to 136: one path as it was given, or each name under the folder. Answers the paths
// of the files that added items.
QStringList loadEach(Procedure& p, CommandContext& context, ListPane& pane, const ChosenFiles& files) {
    QStringList loaded;
    const auto loadFile = [&](const QString& path) {
        const int before = pane.count();
        FileCommands::LoadFileIntoList(context, pane, path);
        if (pane.count() > before) loaded.append(path);
    };
    const int u = partsAfterFirst(files);
    if (p.test(LoadLine::TestOne, [&] { return u == 0; })) {
        QString path;
        p.run(LoadLine::TakePath, [&] { path = files.names.at(0); });
        p.run(LoadLine::LoadOne, [&] { loadFile(path); });
    } else if (p.test(LoadLine::TestSeveral, [&] { return u > 0; })) {
        QString folder;
        int last = 0;
        p.run(LoadLine::TakeFolder, [&] { folder = files.folder; });
        p.run(LoadLine::TakeLast, [&] { last = u; });
        const auto bounds = [&] { return Procedure::Range{1, last, 1}; };
        p.forLoop(LoadLine::ForEach, LoadLine::NextFile, bounds, [&](int i) {
            QString path;
            p.run(LoadLine::JoinPath,
                  [&] { path = PathRepair::joinChosenPath(folder, files.names.at(i - 1)); });
            p.run(LoadLine::RepairPath, [&] { path = RemoveDoubleBackslashes(path); });
            p.run(LoadLine::LoadEach, [&] { loadFile(path); });
        });
    }
    return loaded;
}

void loadInto(CommandContext& context, PaneChange& change, const ChosenFiles& files, Procedure& p,
              const QString& command) {
    // Statements 114 to 138. All the files are one undo step: the change's.
    p.run(LoadLine::SetWait, [&] { change.showWait(); });
    const QStringList loaded = loadEach(p, context, change.pane(), files);
    p.run(LoadLine::SetDefault, [&] { change.restoreWait(); });
    // The header names what the pane was last loaded from; a load that added nothing changes nothing.
    if (!loaded.isEmpty()) context.window.setLoadedFrom(change.listNumber(), loaded);
    const int fileCount = std::max(1, partsAfterFirst(files));
    context.window.setLastResult(ResultLine::added(command, change.listNumber(), change.countBefore(),
                                                   change.pane().count(), fileCount));
}

// Statements 106 to 126. The chosen path, or "" when the user cancelled or declined to replace.
QString askForFileToSave(Procedure& p, CommandContext& context) {
    CommonDialog& dialog = context.commonDialog1;
    p.run(SaveLine::ClearName, [&] { dialog.setFileName(QString()); });
    p.run(SaveLine::SetFlags, [&] { dialog.setFlags(FileCommands::kDialogFlags); });
    p.run(SaveLine::SetTitle, [&] { dialog.setDialogTitle(QStringLiteral("Save")); });
    p.run(SaveLine::SetFilter, [&] { dialog.setFilter(kFilter); });
    p.run(SaveLine::ShowSave, [&] { dialog.ShowSave(); });
    QString path;
    p.run(SaveLine::TakePath, [&] { path = dialog.fileName(); });
    if (p.test(SaveLine::TestCancel, [&] { return path.isEmpty(); })) return {};
    Dialogs::Answer answer = Dialogs::Answer::Yes;
    if (p.test(SaveLine::TestExists, [&] { return Main::FileExists(path); })) {
        p.run(SaveLine::AskOverwrite, [&] {
            answer = context.dialogs.message(
                QStringLiteral("Are you sure you wish to overwrite ") + path + QStringLiteral(" ?"),
                context.window.appTitle(), Dialogs::Buttons::YesNo, Dialogs::Icon::None);
        });
    } else {
        p.run(SaveLine::AssumeYes, [&] { answer = Dialogs::Answer::Yes; });
    }
    if (p.test(SaveLine::TestAnswer, [&] { return answer != Dialogs::Answer::Yes; })) return {};
    return path;
}

// Statements 130 to 140. The list goes to a temporary file beside the target, which replaces the
// target only once every byte is written. False after the one report of a failure; `written` is how
// many items the file holds.
bool writePane(Procedure& p, CommandContext& context, ListPane& pane, const QString& path, qint64& written) {
    QSaveFile file(path);
    if (!p.run(SaveLine::Open, [&] { ListFileWriter::openForSave(file); })) return false;
    // A snapshot keeps the file equal to the list as it was now, whatever runs during the yields.
    ItemStore items;
    quint64 mark = 0;
    const bool taken = p.run(SaveLine::Snapshot, [&] {
        items = pane.snapshot();
        mark = pane.saveMark();
    });
    written = items.count();
    if (!p.run(SaveLine::Write, [&] { ListFileWriter::write(file, items, context.yielder); })) return false;
    return p.run(SaveLine::Close, [&] {
        // The commit syncs to disk what the writer has not sent there yet, which may take a while:
        // the window gets its turn first.
        context.yielder.yieldNow();
        ListFileWriter::commit(file);
        if (taken) pane.markSaved(mark);
    });
}
}  // namespace

namespace FileCommands {

void load(CommandContext& context, int listNumber, const QString& origin) {
    // A second load into a pane still changing would land in the middle of its list: nothing is asked.
    // What a load adds is still in its files, so it is no work to lose on closing.
    PaneChange change(context, listNumber, StepKind::Restorable);
    if (!change) return;
    Procedure p(context.reporter, origin);
    if (!askForFilesToLoad(p, context)) return;
    if (p.test(LoadLine::TestCancel, [&] { return context.commonDialog1.fileName().isEmpty(); })) return;
    ChosenFiles files;
    p.run(LoadLine::SplitAnswer, [&] { files = ChosenFiles::fromAnswer(context.commonDialog1.fileName()); });
    loadInto(context, change, files, p, QStringLiteral("Load"));
}

void loadChosenFiles(CommandContext& context, int listNumber, const ChosenFiles& files, const QString& origin,
                     const QString& command) {
    // Drops arrive here without the Load button's dialog.
    PaneChange change(context, listNumber, StepKind::Restorable);
    if (!change) return;
    Procedure p(context.reporter, origin);
    loadInto(context, change, files, p, command);
}

bool save(CommandContext& context, int listNumber, const QString& origin) {
    Procedure p(context.reporter, origin);
    if (refuseSaveWhileChanging(p, context, listNumber)) return false;
    ListPane& pane = context.pane(listNumber);
    const QString path = askForFileToSave(p, context);
    if (path.isEmpty()) return false;
    RunningCommand running(context.window);
    p.run(SaveLine::SetWait, [&] { running.start(); });
    qint64 written = 0;
    const bool saved = writePane(p, context, pane, path, written);
    if (saved) {
        p.run(SaveLine::Done, [&] { inform(context, QStringLiteral("Done.")); });
        // Once the box is answered: what was written where, until the next command.
        context.window.setLastResult(ResultLine::saved(written, QFileInfo(path).fileName()), path);
    }
    p.run(SaveLine::SetDefault, [&] { running.end(); });
    return saved;
}

void LoadFileIntoList(CommandContext& context, ListPane& pane, const QString& path) {
    if (!Main::FileExists(path)) {
        inform(context, QStringLiteral("File not found"));
        return;
    }
    const MemoryProbe& memory = context.memory ? *context.memory : SystemMemory::instance();
    // A file cut short by another program while it loads: its last item may be cut too.
    if (!ListFileReader::readFile(path, pane, memory, context.yielder))
        inform(context,
               QStringLiteral("The file ") + path +
                   QStringLiteral(
                       " became shorter while it was loading. The items read before its end were added."));
}

}  // namespace FileCommands
