#include "cli/CliRun.h"

#include "cli/CliArguments.h"
#include "commands/ListCommands.h"
#include "core/Dialogs.h"
#include "core/ErrorReport.h"
#include "core/Progress.h"
#include "core/RunTimeError.h"
#include "core/Yielder.h"
#include "listfiles/FileErrors.h"
#include "listfiles/ListFileReader.h"
#include "listfiles/ListFileWriter.h"
#include "listops/List.h"
#include "listops/ListTools.h"
#include "store/ResultLine.h"
#include "store/StorePane.h"

#include <QFileInfo>
#include <QLocale>
#include <QRegularExpression>
#include <QSaveFile>

#include <new>

namespace {
const auto kPrefix = QStringLiteral("brindlewick-cli: ");

// No window to keep responsive: the routines' yields only read the clock now and then.
class NoEventsYielder : public Yielder {
public:
    NoEventsYielder() : Yielder(std::chrono::seconds(1), 1024) {}

protected:
    void processEvents() override {}
};

class NoProgress : public ProgressSink {
public:
    void setPercent(double) override {}
};

// Where a routine's error report goes: one line on standard error, and the run fails.
class ErrorLines : public Dialogs {
public:
    explicit ErrorLines(QIODevice& errors) : m_errors(errors) {}
    Answer message(const QString& text, const QString&, Buttons, Icon) override {
        // The report's first two lines: what failed, and where.
        const QStringList lines = text.split(QRegularExpression(QStringLiteral("[\r\n]+")));
        say(lines.mid(0, 2).join(u' '));
        ++m_count;
        return Answer::Ok;
    }
    QString input(const QString&, const QString&) override { return {}; }
    QStringList chooseFiles(const FileRequest&) override { return {}; }
    std::optional<MatchOn> chooseColumn(const ColumnRequest&) override { return std::nullopt; }

    void say(const QString& line) { write(kPrefix + line); }
    void write(const QString& line) { m_errors.write((line + u'\n').toUtf8()); }
    int count() const { return m_count; }

private:
    QIODevice& m_errors;
    int m_count = 0;
};

struct Run {
    const Invocation& invocation;
    const CliRun::Streams& streams;
    ErrorLines& errors;
    NoEventsYielder yielder;
};

// A failure that names what it concerns: the description, with the name in front unless it
// already holds it.
RunTimeError naming(const RunTimeError& error, const QString& name) {
    if (error.description().contains(name)) return error;
    return RunTimeError(name + QStringLiteral(": ") + error.description(), error.number());
}

// Runs a read; a failure, running out of memory included, names what was read.
template <typename Read>
void readNamed(const QString& name, Read&& read) {
    try {
        read();
    } catch (const RunTimeError& e) {
        throw naming(e, name);
    } catch (const std::bad_alloc&) {
        throw naming(FileErrors::outOfMemory(), name);
    }
}

// Loads a list file as the window's Load does: the same checks, memory test and reader.
void load(StorePane& pane, const QString& path, Run& run) {
    // A pipe's size is not known before it is read: it gets no memory test.
    if (path == QLatin1String("-"))
        return readNamed(QStringLiteral("standard input"),
                         [&] { ListFileReader::read(run.streams.input, pane, run.yielder); });
    if (!QFileInfo::exists(path)) throw RunTimeError(QStringLiteral("File not found: ") + path, 53);
    readNamed(path, [&] { ListFileReader::readFile(path, pane, run.streams.memory, run.yielder); });
}

// Standard output: every write checked, and the close too, which is where some systems report a
// write that failed late.
void writeAndClose(QIODevice& output, const ItemStore& items, Yielder& yielder, QByteArrayView lineEnd) {
    ListFileWriter::write(output, items, yielder, ListFileWriter::kBufferSize, lineEnd);
    output.close();
    if (const auto* file = qobject_cast<QFileDevice*>(&output); file && file->error() != QFileDevice::NoError)
        throw FileErrors::ioError(*file);
}

// Writes the result as the window's save does: to a file beside the target that replaces it only
// once every byte is written, so a failure leaves the old file as it was.
void save(const ItemStore& items, Run& run) {
    const QByteArrayView lineEnd = run.invocation.crlf ? ListFileWriter::kCrLf : ListFileWriter::kLf;
    if (run.invocation.toStandardOutput()) {
        try {
            writeAndClose(run.streams.output, items, run.yielder, lineEnd);
        } catch (const RunTimeError& e) {
            throw naming(e, QStringLiteral("standard output"));
        }
        return;
    }
    // A pipe, a device or a folder is never replaced by a file, as the window's save refuses them:
    // writing into one is what standard output is for.
    QSaveFile file(run.invocation.output);
    ListFileWriter::openForSave(file);
    ListFileWriter::write(file, items, run.yielder, ListFileWriter::kBufferSize, lineEnd);
    ListFileWriter::commit(file);
}

void runRoutine(StorePane& target, const StorePane& reference, Run& run, List::RoutineOutcome& outcome) {
    ErrorReporter reporter(run.errors);
    NoProgress progress;
    // The command line's compare options become the routines' own, as the window's do.
    const List::RoutineServices services{reporter,
                                         run.yielder,
                                         progress,
                                         run.invocation.compare,
                                         run.invocation.listMatch,
                                         run.invocation.referenceMatch,
                                         &outcome};
    ListCommands::runRoutine(*run.invocation.command, target, reference, run.invocation.text, services);
}

const QLocale kDigits(QLocale::English, QLocale::UnitedStates);

// The window's copies: the same routines over the loaded lists, the result written as a list.
ItemStore copied(const StorePane& list, const StorePane& other, Run& run) {
    using Copy = Invocation::Copy;
    const Invocation& i = run.invocation;
    if (i.copy == Copy::Counts) return ListTools::counted(list.items(), i.compare, run.yielder, i.listMatch);
    const ListTools::Compared which = i.copy == Copy::OnlyIn   ? ListTools::Compared::OnlyInThis
                                      : i.copy == Copy::InBoth ? ListTools::Compared::InBoth
                                                               : ListTools::Compared::EachOnce;
    return ListTools::compared(list.items(), other.items(), which, i.compare, run.yielder, i.listMatch,
                               i.referenceMatch);
}

CliRun::ExitStatus runCommand(Run& run) {
    StorePane target;
    StorePane reference;
    load(target, run.invocation.list, run);
    if (run.invocation.takesReference()) load(reference, run.invocation.reference, run);
    if (!run.invocation.command) {
        const ItemStore result = copied(target, reference, run);
        save(result, run);
        if (run.invocation.stats)
            run.errors.write(ResultLine::items(result.count(), kDigits) + QStringLiteral(" copied") +
                             ResultLine::optionsNote(run.invocation.compare));
        return CliRun::Success;
    }
    const int before = target.count();
    List::RoutineOutcome outcome;
    runRoutine(target, reference, run, outcome);
    // A routine that reported a failure may have left its list half done: nothing is written.
    if (run.errors.count() > 0) return CliRun::Failure;
    if (!outcome.refusal.isEmpty()) {
        run.errors.say(outcome.refusal);
        return CliRun::Failure;
    }
    save(target.items(), run);
    // The window's result line without a list's name, in the same digits everywhere.
    if (run.invocation.stats)
        run.errors.write(ListCommands::resultLine(*run.invocation.command, 0, before, target.count(),
                                                  run.invocation.compare, outcome, {}, kDigits));
    return CliRun::Success;
}
}  // namespace

namespace CliRun {

ExitStatus run(const Invocation& invocation, const Streams& streams) {
    ErrorLines errors(streams.errors);
    Run state{invocation, streams, errors, {}};
    try {
        return runCommand(state);
    } catch (const RunTimeError& e) {
        errors.say(e.description());
    } catch (const std::bad_alloc&) {
        errors.say(QStringLiteral("Out of memory"));
    }
    return Failure;
}

}  // namespace CliRun
