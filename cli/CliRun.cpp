#include "cli/CliRun.h"

#include "cli/CliArguments.h"
#include "cli/CliProgress.h"
#include "cli/ListPieces.h"
#include "commands/ListCommands.h"
#include "core/Dialogs.h"
#include "core/ErrorReport.h"
#include "core/Progress.h"
#include "core/RunTimeError.h"
#include "core/Services.h"
#include "core/Yielder.h"
#include "listfiles/FileErrors.h"
#include "listfiles/ListFileReader.h"
#include "listfiles/ListFileWriter.h"
#include "listfiles/MemoryCheck.h"
#include "listops/List.h"
#include "listops/ListTools.h"
#include "store/ResultLine.h"
#include "store/StorePane.h"

#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QRegularExpression>
#include <QSaveFile>

#include <algorithm>
#include <functional>
#include <new>
#include <optional>

namespace {
const auto kPrefix = QStringLiteral("brindlewick-cli: ");

// No window to keep responsive: the routines' yields only read the clock now and then, and bring
// the progress line up to date.
class NoEventsYielder : public Yielder {
public:
    explicit NoEventsYielder(ProgressLine& progress)
        : Yielder(std::chrono::milliseconds(250), 1024), m_progress(progress) {}

protected:
    void processEvents() override { m_progress.tick(); }

private:
    ProgressLine& m_progress;
};

class NoProgress : public ProgressSink {
public:
    void setPercent(double) override {}
};

// Where a routine's error report goes: one line on standard error, and the run fails.
class ErrorLines : public Dialogs {
public:
    ErrorLines(QIODevice& errors, ProgressLine& progress) : m_errors(errors), m_progress(progress) {}
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
    void write(const QString& line) {
        m_progress.clear();
        m_errors.write((line + u'\n').toUtf8());
    }
    int count() const { return m_count; }

private:
    QIODevice& m_errors;
    ProgressLine& m_progress;
    int m_count = 0;
};

// The memory the lists may take: --memory's, or what the system has left.
class Budget : public MemoryProbe {
public:
    Budget(std::optional<qint64> given, const MemoryProbe& system) : m_given(given), m_system(system) {}
    std::optional<qint64> availableBytes() const override {
        return m_given ? m_given : m_system.availableBytes();
    }

private:
    std::optional<qint64> m_given;
    const MemoryProbe& m_system;
};

struct Run {
    const Invocation& invocation;
    const CliRun::Streams& streams;
    ErrorLines& errors;
    ProgressLine& progress;
    NoEventsYielder yielder;
    Budget budget;
};

const QLocale kDigits(QLocale::English, QLocale::UnitedStates);

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

// Opens a list file as every load does: only a regular file.
void openList(QFile& file, const QString& path) {
    if (!QFileInfo::exists(path)) throw RunTimeError(QStringLiteral("File not found: ") + path, 53);
    // A folder or a device would never end or would load garbage.
    const QFileInfo info(path);
    if (!info.isFile()) throw FileErrors::notAFile(path, info.isDir());
    if (!file.open(QIODevice::ReadOnly)) throw FileErrors::openError(file, QIODevice::ReadOnly);
}

QString nameOf(const QString& path) {
    return path == QLatin1String("-") ? QStringLiteral("standard input") : path;
}

// Loads a list file whole as the window's Load does: the same checks, memory test and reader.
void load(StorePane& pane, const QString& path, Run& run) {
    run.progress.setPhase(
        QStringLiteral("reading ") + nameOf(path), [&] { return qint64(pane.count()); },
        path == QLatin1String("-") ? &run.streams.input : nullptr);
    // A pipe's size is not known before it is read: it gets no memory test.
    if (path == QLatin1String("-"))
        return readNamed(QStringLiteral("standard input"),
                         [&] { ListFileReader::read(run.streams.input, pane, run.yielder); });
    QFile file(path);
    readNamed(path, [&] {
        openList(file, path);
        run.progress.setPhase(
            QStringLiteral("reading ") + path, [&] { return qint64(pane.count()); }, &file);
        try {
            MemoryCheck::requireRoomFor(file, run.budget, run.yielder);
        } catch (const RunTimeError& e) {
            // Said in terms of the budget, which --memory can change.
            const qint64 budget = run.budget.availableBytes().value_or(0);
            throw RunTimeError(e.description() + QStringLiteral(" (more than the memory budget of ") +
                                   kDigits.formattedDataSize(budget, 1, QLocale::DataSizeIecFormat) +
                                   QStringLiteral("; --memory sets it)"),
                               e.number());
        }
        ListFileReader::read(file, pane, run.yielder);
    });
}

// Standard output's close is checked too: it is where some systems report a write that failed late.
void closeChecked(QIODevice& output) {
    output.close();
    if (const auto* file = qobject_cast<QFileDevice*>(&output); file && file->error() != QFileDevice::NoError)
        throw FileErrors::ioError(*file);
}

// Where the result goes, written as the window's save writes: to standard output, or to a file
// beside the target that replaces it only once every byte is written, so a failure leaves the old
// file as it was. A pipe, a device or a folder is never replaced by a file, as the window's save
// refuses them: writing into one is what standard output is for.
class Output {
public:
    explicit Output(Run& run)
        : m_run(run), m_lineEnd(run.invocation.crlf ? ListFileWriter::kCrLf : ListFileWriter::kLf) {
        if (!run.invocation.toStandardOutput()) m_file.emplace(run.invocation.output);
    }

    // Appends the items, each with its line end. The file is opened with the first of them: what
    // the routine says, a refusal or a failure, comes before what the file says, as when the whole
    // list is run first.
    void write(const ItemStore& items) {
        if (m_file && !m_file->isOpen()) ListFileWriter::openForSave(*m_file);
        named([&] {
            ListFileWriter::write(device(), items, m_run.yielder, ListFileWriter::kBufferSize, m_lineEnd);
        });
    }
    // Every item is written: the file takes the target's place, standard output closes.
    void finish() {
        if (m_file && !m_file->isOpen()) ListFileWriter::openForSave(*m_file);
        if (m_file) return ListFileWriter::commit(*m_file);
        named([&] { closeChecked(m_run.streams.output); });
    }

private:
    QIODevice& device() { return m_file ? static_cast<QIODevice&>(*m_file) : m_run.streams.output; }
    template <typename Write>
    void named(Write&& write) {
        try {
            write();
        } catch (const RunTimeError& e) {
            if (!m_file) throw naming(e, QStringLiteral("standard output"));
            throw;
        }
    }

    Run& m_run;
    QByteArrayView m_lineEnd;
    std::optional<QSaveFile> m_file;
};

void save(const ItemStore& items, Run& run) {
    run.progress.setPhase(QStringLiteral("writing"), {}, nullptr);
    Output output(run);
    output.write(items);
    output.finish();
}

void runRoutine(StorePane& target, const StorePane& reference, Run& run, List::RoutineOutcome& outcome,
                bool header = true, List::KeptReference* kept = nullptr) {
    ErrorReporter reporter(run.errors);
    NoProgress progress;
    MatchOn listMatch = run.invocation.listMatch;
    // Only the list's first piece starts with its header.
    listMatch.header = listMatch.header && header;
    // The command line's compare options become the routines' own, as the window's do.
    const List::RoutineServices services{
        reporter, run.yielder, progress, run.invocation.compare, listMatch, run.invocation.referenceMatch,
        &outcome, kept};
    ListCommands::runRoutine(*run.invocation.command, target, reference, run.invocation.text, services);
}

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

// Ends the reading of a streamed list: a routine failed or refused (saying why), or the output did.
struct Stopped {
    QString refusal;
};
struct OutputFailed {
    RunTimeError error;
};

// A piece's size, in items and in bytes, for the budget: small enough that a few pieces take a
// small share of it, large enough that each run of the routine has a long stretch to work on.
qsizetype pieceItems(qint64 budget) {
    return qsizetype(std::clamp<qint64>(budget / 4096, 1, 4 * ItemStore::kBlockItems));
}
qsizetype pieceBytes(qint64 budget) {
    return qsizetype(std::clamp<qint64>(budget / 64, 1, ItemStore::kBlockBytes * 4));
}

// LIST a piece at a time: each piece's items go through the routine, as the whole list's would, and
// what it keeps is written before the next piece is read. The reference, where there is one, is
// held whole, and its table is built once.
CliRun::ExitStatus runStreamed(Run& run) {
    const Invocation& i = run.invocation;
    QFile file(i.list);
    QIODevice* input = &run.streams.input;
    if (i.list != QLatin1String("-")) {
        readNamed(i.list, [&] { openList(file, i.list); });
        input = &file;
    }
    StorePane reference;
    if (i.takesReference()) load(reference, i.reference, run);
    Output output(run);
    List::KeptReference kept;
    List::RoutineOutcome total;
    qint64 before = 0;
    qint64 after = 0;
    bool first = true;
    const qint64 budget = run.budget.availableBytes().value_or(qint64(1) << 30);
    ListPieces pieces(pieceItems(budget), pieceBytes(budget), [&](ItemStore piece) {
        StorePane target(std::move(piece));
        before += target.count();
        List::RoutineOutcome outcome;
        runRoutine(target, reference, run, outcome, first, &kept);
        first = false;
        // A routine that reported a failure may have left its piece half done: it is not written.
        if (run.errors.count() > 0 || !outcome.refusal.isEmpty()) throw Stopped{outcome.refusal};
        total.changed += outcome.changed;
        after += target.count();
        try {
            output.write(target.items());
        } catch (const RunTimeError& e) {
            throw OutputFailed{e};
        }
        run.progress.tick();
    });
    run.progress.setPhase(
        QLatin1String(i.command->cliName), [&] { return pieces.lines(); }, input);
    try {
        readNamed(nameOf(i.list), [&] {
            ListFileReader::read(*input, pieces, run.yielder);
            pieces.finish();
        });
    } catch (const Stopped& stopped) {
        if (!stopped.refusal.isEmpty()) run.errors.say(stopped.refusal);
        return CliRun::Failure;
    } catch (const OutputFailed& failed) {
        throw failed.error;
    }
    output.finish();
    if (i.stats)
        run.errors.write(
            ListCommands::resultLine(*i.command, 0, before, after, i.compare, total, {}, kDigits));
    return CliRun::Success;
}

CliRun::ExitStatus runCommand(Run& run) {
    if (CliRun::streams(run.invocation)) return runStreamed(run);
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
    run.progress.setPhase(
        QLatin1String(run.invocation.command->cliName), [&] { return qint64(before); }, nullptr);
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

bool streams(const Invocation& invocation) {
    if (!invocation.command) return false;
    using ListCommands::Id;
    switch (invocation.command->id) {
        case Id::RemoveMatches:
        case Id::KeepOnlyMatches:
        case Id::RemoveBlanks:
        case Id::RemoveItemsWith:
        case Id::RemoveItemsWithout:
        case Id::TrimSpaces:
        case Id::RemoveMatching:
        case Id::KeepOnlyMatching:
            return true;
        default:
            return false;
    }
}

ExitStatus run(const Invocation& invocation, const Streams& streams) {
    const SteadyClock steady;
    ProgressLine progress(streams.errors, streams.errorsIsTerminal && !invocation.quiet,
                          streams.clock ? *streams.clock : steady);
    ErrorLines errors(streams.errors, progress);
    Run state{invocation,
              streams,
              errors,
              progress,
              NoEventsYielder(progress),
              Budget(invocation.memory, streams.memory)};
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
