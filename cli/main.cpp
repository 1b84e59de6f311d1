// brindlewick-cli: the window's list commands from a terminal. No window and no Qt GUI: it loads
// the lists with the window's reader, runs the window's routine and writes with the window's writer.
#include "cli/CliArguments.h"
#include "cli/CliRun.h"
#include "core/Platform.h"
#include "core/SystemMemory.h"

#include <QCoreApplication>
#include <QFile>

#include <cerrno>
#include <csignal>
#include <cstdio>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif
#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace {
const auto kStandardOutput = QStringLiteral("standard output");

int say(FILE* stream, const QString& text, int status) {
    std::fputs(text.toLocal8Bit().constData(), stream);
    return status;
}

// Help and version: their output is checked as a result's is, up to its close.
int sayOnStandardOutput(const QString& text) {
    const bool written = std::fputs(text.toLocal8Bit().constData(), stdout) >= 0;
    const int writeError = errno;
    // The close writes what the C library still holds.
    const bool closed = std::fclose(stdout) == 0;
    if (written && closed) return CliRun::Success;
    const QString reason = qt_error_string(written ? errno : writeError);
    return say(stderr,
               QStringLiteral("brindlewick-cli: Device I/O error: ") + kStandardOutput +
                   QStringLiteral(" (") + reason + QStringLiteral(")\n"),
               CliRun::Failure);
}
}  // namespace

int main(int argc, char* argv[]) {
    Platform::guardStandardStreams();
#ifdef SIGPIPE
    // Output into a closed pipe ends the program quietly, as it does the shell's own tools, also
    // where the parent ignores the signal.
    std::signal(SIGPIPE, SIG_DFL);
#endif
#ifdef __GLIBC__
    // A streamed list's pieces free their blocks and make new ones, piece after piece. Kept in the
    // heap, the memory is used again at once; above these thresholds the C library would hand it
    // back to the system and fault it in again, zeroed, a page at a time.
    mallopt(M_MMAP_THRESHOLD, 64 << 20);
    mallopt(M_TRIM_THRESHOLD, 256 << 20);
#endif
    QCoreApplication application(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("brindlewick-cli"));
    QCoreApplication::setApplicationVersion(QStringLiteral(BRINDLEWICK_VERSION));
    const ParsedArguments parsed = CliArguments::parse(QCoreApplication::arguments());
    switch (parsed.kind) {
        case ParsedArguments::Kind::Help:
            return sayOnStandardOutput(CliArguments::helpText());
        case ParsedArguments::Kind::Version:
            return sayOnStandardOutput(QStringLiteral("brindlewick-cli " BRINDLEWICK_VERSION "\n"));
        case ParsedArguments::Kind::UsageError:
            return say(stderr,
                       QStringLiteral("brindlewick-cli: ") + parsed.error + u'\n' +
                           CliArguments::usageLine() + u'\n',
                       CliRun::UsageError);
        case ParsedArguments::Kind::Run:
            break;
    }
    // Straight to the handles, past the C library's buffers, whose failures would come only at exit,
    // unseen. Errors name the streams.
    QFile input;
    QFile output;
    QFile errors;
    input.setObjectName(QStringLiteral("standard input"));
    output.setObjectName(kStandardOutput);
    input.open(fileno(stdin), QIODevice::ReadOnly);
    // Closed by the run once written, so that a failing close is reported too.
    output.open(fileno(stdout), QIODevice::WriteOnly | QIODevice::Unbuffered, QFileDevice::AutoCloseHandle);
    errors.open(fileno(stderr), QIODevice::WriteOnly | QIODevice::Unbuffered);
#ifdef Q_OS_UNIX
    const bool errorsIsTerminal = isatty(fileno(stderr)) == 1;
#else
    const bool errorsIsTerminal = false;
#endif
    return CliRun::run(parsed.invocation,
                       {input, output, errors, SystemMemory::instance(), errorsIsTerminal});
}
