// brindlewick-cli: the window's list commands from a terminal. No window and no Qt GUI: it loads
// the lists with the window's reader, runs the window's routine and writes with the window's writer.
#include "cli/CliArguments.h"
#include "cli/CliRun.h"
#include "core/SystemMemory.h"

#include <QCoreApplication>
#include <QFile>

#include <csignal>
#include <cstdio>

namespace {
int say(FILE* stream, const QString& text, int status) {
    std::fputs(text.toLocal8Bit().constData(), stream);
    return status;
}
}  // namespace

int main(int argc, char* argv[]) {
#ifdef SIGPIPE
    // Output into a closed pipe ends the program quietly, as it does the shell's own tools, also
    // where the parent ignores the signal.
    std::signal(SIGPIPE, SIG_DFL);
#endif
    QCoreApplication application(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("brindlewick-cli"));
    QCoreApplication::setApplicationVersion(QStringLiteral(BRINDLEWICK_VERSION));
    const ParsedArguments parsed = CliArguments::parse(QCoreApplication::arguments());
    switch (parsed.kind) {
        case ParsedArguments::Kind::Help:
            return say(stdout, CliArguments::helpText(), CliRun::Success);
        case ParsedArguments::Kind::Version:
            return say(stdout, QStringLiteral("brindlewick-cli " BRINDLEWICK_VERSION "\n"), CliRun::Success);
        case ParsedArguments::Kind::UsageError:
            return say(stderr,
                       QStringLiteral("brindlewick-cli: ") + parsed.error + u'\n' +
                           CliArguments::usageLine() + u'\n',
                       CliRun::UsageError);
        case ParsedArguments::Kind::Run:
            break;
    }
    QFile input;
    QFile output;
    QFile errors;
    input.open(stdin, QIODevice::ReadOnly);
    output.open(stdout, QIODevice::WriteOnly | QIODevice::Unbuffered);
    errors.open(stderr, QIODevice::WriteOnly | QIODevice::Unbuffered);
    return CliRun::run(parsed.invocation, {input, output, errors, SystemMemory::instance()});
}
