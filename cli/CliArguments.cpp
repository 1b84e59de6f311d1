#include "cli/CliArguments.h"

#include "commands/ListCommands.h"

#include <QCommandLineParser>
#include <QRegularExpression>

#include <limits>

namespace {
const auto kProgram = QStringLiteral("brindlewick-cli");

struct Options {
    QCommandLineOption output{QStringList{QStringLiteral("o"), QStringLiteral("output")},
                              QStringLiteral("Write the result to FILE (replaced only once it is complete) "
                                             "instead of standard output."),
                              QStringLiteral("FILE")};
    QCommandLineOption ignoreCase{
        QStringList{QStringLiteral("i"), QStringLiteral("ignore-case")},
        QStringLiteral("Compare items without regard to letter case (Unicode simple case folding).")};
    QCommandLineOption ignoreSpaces{
        QStringLiteral("ignore-spaces"),
        QStringLiteral(
            "Compare items without regard to white space at their start and end; with remove-blanks, "
            "items of white space only count as blank.")};
    QCommandLineOption crlf{QStringLiteral("crlf"),
                            QStringLiteral("End lines with CR LF, as the window saves them (default: LF).")};
    QCommandLineOption stats{QStringLiteral("stats"),
                             QStringLiteral("Write a result line to standard error.")};
    QCommandLineOption field{QStringLiteral("field"),
                             QStringLiteral("Compare column N of LIST's items (counted from 1) instead of "
                                            "the whole item; a row with fewer columns has an empty key."),
                             QStringLiteral("N")};
    QCommandLineOption delimiter{
        QStringLiteral("delimiter"),
        QStringLiteral("The character between LIST's columns (default: ,), or tab. Comma and semicolon "
                       "fields may be in double quotes (RFC 4180)."),
        QStringLiteral("C")};
    QCommandLineOption header{QStringLiteral("header"),
                              QStringLiteral("LIST's first line is a header: it stays first and is never "
                                             "compared or removed.")};
    QCommandLineOption referenceField{
        QStringLiteral("reference-field"),
        QStringLiteral("Compare column N of REFERENCE's items (default: the whole item)."),
        QStringLiteral("N")};
    QCommandLineOption referenceDelimiter{
        QStringLiteral("reference-delimiter"),
        QStringLiteral("The character between REFERENCE's columns (default: ,), or tab."),
        QStringLiteral("C")};
    QCommandLineOption referenceHeader{QStringLiteral("reference-header"),
                                       QStringLiteral("Skip REFERENCE's first line.")};
    QCommandLineOption memory{
        QStringLiteral("memory"),
        QStringLiteral("The memory the lists may take: bytes, or a number with K, M, G or T (512M, 2G). "
                       "Default: what the system has left for the process. The commands that filter "
                       "LIST line by line read it piece by piece whatever its size; the others hold it "
                       "and refuse a list that does not fit."),
        QStringLiteral("SIZE")};
    QCommandLineOption quiet{QStringList{QStringLiteral("q"), QStringLiteral("quiet")},
                             QStringLiteral("Show no progress line on a terminal.")};
    QCommandLineOption reverse{QStringLiteral("reverse"), QStringLiteral("sort: Z to A.")};
    QCommandLineOption help{QStringList{QStringLiteral("h"), QStringLiteral("help")},
                            QStringLiteral("Show this help and exit.")};
    QCommandLineOption version{QStringList{QStringLiteral("v"), QStringLiteral("version")},
                               QStringLiteral("Show the version and exit.")};
};

using ListCommands::Command;
using Copy = Invocation::Copy;

// The copies of a pane's menu, by their command-line names.
struct CopyCommand {
    const char* name;
    Copy copy;
    const char* summary;
};
constexpr CopyCommand kCopies[] = {
    {"only-in", Copy::OnlyIn, "the items of LIST whose text OTHER lacks"},
    {"in-both", Copy::InBoth, "the items of LIST whose text OTHER has, each text once"},
    {"union", Copy::Union, "each text of LIST, then of OTHER, once"},
    {"count", Copy::Counts, "each text of LIST with how often it occurs: COUNT<TAB>ITEM, most first"},
};

const CopyCommand* findCopy(const QString& name) {
    for (const CopyCommand& copy : kCopies)
        if (name == QLatin1StringView(copy.name)) return &copy;
    return nullptr;
}

// The list commands that the command line offers by name.
const Command* find(const QString& name) {
    for (const Command& command : ListCommands::commands())
        if (command.cliName && name == QLatin1StringView(command.cliName)) return &command;
    return nullptr;
}

QString argumentsOf(const Command& command) {
    if (command.takesText() && command.prompt) return QStringLiteral("PATTERN LIST");
    if (command.takesText()) return QStringLiteral("TEXT LIST");
    if (command.takesReference()) return QStringLiteral("LIST REFERENCE");
    return QStringLiteral("LIST");
}

QString commandList() {
    QString text = QStringLiteral(
        "Runs one of Brindlewick's list commands on list files and writes the result.\n"
        "A LIST or REFERENCE of - is read from standard input.\n\nCommands:");
    for (const Command& command : ListCommands::commands()) {
        if (!command.cliName) continue;
        const QString call = QLatin1String(command.cliName) + u' ' + argumentsOf(command);
        text += QStringLiteral("\n  ") + call.leftJustified(31) + QLatin1String(command.summary);
    }
    for (const CopyCommand& copy : kCopies) {
        const QString call =
            QLatin1String(copy.name) +
            (copy.copy == Copy::Counts ? QStringLiteral(" LIST") : QStringLiteral(" LIST OTHER"));
        text += QStringLiteral("\n  ") + call.leftJustified(31) + QLatin1String(copy.summary);
    }
    return text;
}

void describe(QCommandLineParser& parser, const Options& options) {
    parser.setApplicationDescription(commandList());
    parser.addOptions({options.output, options.ignoreCase, options.ignoreSpaces, options.field,
                       options.delimiter, options.header, options.referenceField, options.referenceDelimiter,
                       options.referenceHeader, options.crlf, options.stats, options.memory, options.quiet,
                       options.reverse, options.help, options.version});
    parser.addPositionalArgument(QStringLiteral("COMMAND"), QStringLiteral("One of the commands above."),
                                 QStringLiteral("COMMAND"));
    parser.addPositionalArgument(QStringLiteral("ARGS"), QStringLiteral("The command's arguments."),
                                 QStringLiteral("ARGS..."));
    parser.addPositionalArgument(
        QStringLiteral("--"),
        QStringLiteral("Ends the options: a TEXT that starts with - follows it (remove-with -- -x LIST)."),
        QStringLiteral("[--]"));
}

ParsedArguments usageError(const QString& error) {
    ParsedArguments parsed;
    parsed.error = error;
    return parsed;
}

// A copy and its lists.
ParsedArguments takeCopy(const CopyCommand& copy, const QStringList& positional) {
    const qsizetype takes = copy.copy == Copy::Counts ? 1 : 2;
    if (positional.size() - 1 != takes)
        return usageError(QStringLiteral("%1 takes %2")
                              .arg(QLatin1String(copy.name),
                                   takes == 1 ? QStringLiteral("LIST") : QStringLiteral("LIST OTHER")));
    ParsedArguments parsed;
    parsed.kind = ParsedArguments::Kind::Run;
    parsed.invocation.copy = copy.copy;
    parsed.invocation.list = positional.at(1);
    if (takes == 2) parsed.invocation.reference = positional.at(2);
    if (parsed.invocation.list == QLatin1String("-") && parsed.invocation.reference == QLatin1String("-"))
        return usageError(QStringLiteral("only one list can be read from standard input"));
    return parsed;
}

// The command and its arguments, from the positional arguments.
ParsedArguments takeCommand(const QStringList& positional) {
    if (positional.isEmpty()) return usageError(QStringLiteral("no command given"));
    if (const CopyCommand* copy = findCopy(positional.first())) return takeCopy(*copy, positional);
    const Command* command = find(positional.first());
    if (!command) return usageError(QStringLiteral("unknown command '%1'").arg(positional.first()));
    const qsizetype given = positional.size() - 1;
    const qsizetype takes = command->takesText() || command->takesReference() ? 2 : 1;
    if (given != takes)
        return usageError(
            QStringLiteral("%1 takes %2").arg(QLatin1String(command->cliName), argumentsOf(*command)));
    ParsedArguments parsed;
    parsed.kind = ParsedArguments::Kind::Run;
    Invocation& run = parsed.invocation;
    run.command = command;
    if (command->takesText()) {
        run.text = positional.at(1);
        run.list = positional.at(2);
    } else {
        run.list = positional.at(1);
        if (command->takesReference()) run.reference = positional.at(2);
    }
    // Standard input can be read once.
    if (run.list == QLatin1String("-") && run.reference == QLatin1String("-"))
        return usageError(QStringLiteral("only one list can be read from standard input"));
    if (run.text.isEmpty() && command->takesText()) return usageError(QStringLiteral("TEXT is empty"));
    return parsed;
}
// One list's MatchOn from its options; an error message where they make no sense.
QString matchOn(const QCommandLineParser& parser, const QCommandLineOption& field,
                const QCommandLineOption& delimiter, const QCommandLineOption& header, MatchOn& on) {
    const QString fieldName = QStringLiteral("--") + field.names().first();
    const QString delimiterName = QStringLiteral("--") + delimiter.names().first();
    on.header = parser.isSet(header);
    if (parser.values(field).size() > 1) return fieldName + QStringLiteral(" given more than once");
    if (parser.values(delimiter).size() > 1) return delimiterName + QStringLiteral(" given more than once");
    if (parser.isSet(field)) {
        bool number = false;
        on.column = parser.value(field).toInt(&number);
        if (!number || on.column < 1)
            return fieldName +
                   QStringLiteral(" takes a column number from 1 on, not '%1'").arg(parser.value(field));
    }
    if (!parser.isSet(delimiter)) return {};
    if (!parser.isSet(field)) return delimiterName + QStringLiteral(" needs ") + fieldName;
    const QString value = parser.value(delimiter);
    const QList<uint> characters = value.toUcs4();
    if (value == QLatin1String("tab"))
        on.separator = U'\t';
    else if (characters.size() == 1 && !QChar::isSurrogate(characters.front()) &&
             characters.front() != '\n' && characters.front() != '\r')
        on.separator = char32_t(characters.front());
    else
        return delimiterName + QStringLiteral(" takes one character, or tab, not '%1'").arg(value);
    return {};
}

}  // namespace

bool Invocation::takesReference() const {
    if (command) return command->takesReference();
    return copy != Copy::Counts && copy != Copy::None;
}

namespace CliArguments {

ParsedArguments parse(const QStringList& arguments) {
    QCommandLineParser parser;
    const Options options;
    describe(parser, options);
    if (!parser.parse(arguments)) return usageError(parser.errorText());
    if (parser.isSet(options.help)) return {ParsedArguments::Kind::Help, {}, {}};
    if (parser.isSet(options.version)) return {ParsedArguments::Kind::Version, {}, {}};
    if (parser.values(options.output).size() > 1)
        return usageError(QStringLiteral("-o given more than once"));
    // Standard output is -o -, or no -o at all.
    if (parser.isSet(options.output) && parser.value(options.output).isEmpty())
        return usageError(QStringLiteral("-o names no file"));
    ParsedArguments parsed = takeCommand(parser.positionalArguments());
    Invocation& run = parsed.invocation;
    run.output = parser.value(options.output);
    run.crlf = parser.isSet(options.crlf);
    run.stats = parser.isSet(options.stats);
    run.compare = {parser.isSet(options.ignoreCase), parser.isSet(options.ignoreSpaces)};
    run.quiet = parser.isSet(options.quiet);
    if (parser.values(options.memory).size() > 1)
        return usageError(QStringLiteral("--memory given more than once"));
    if (parser.isSet(options.memory)) {
        run.memory = CliArguments::parseSize(parser.value(options.memory));
        if (!run.memory)
            return usageError(QStringLiteral("--memory takes a size such as 512M or 2G, not '%1'")
                                  .arg(parser.value(options.memory)));
    }
    if (const QString error =
            matchOn(parser, options.field, options.delimiter, options.header, run.listMatch);
        !error.isEmpty())
        return usageError(error);
    if (const QString error = matchOn(parser, options.referenceField, options.referenceDelimiter,
                                      options.referenceHeader, run.referenceMatch);
        !error.isEmpty())
        return usageError(error);
    if (parsed.kind == ParsedArguments::Kind::Run && !run.takesReference() &&
        !(run.referenceMatch == MatchOn()))
        return usageError(QStringLiteral("the --reference- options are for commands with a REFERENCE"));
    if (parser.isSet(options.reverse) && parsed.kind == ParsedArguments::Kind::Run) {
        if (!run.command || run.command->id != ListCommands::Id::SortAToZ)
            return usageError(QStringLiteral("--reverse is for sort only"));
        run.command = &ListCommands::command(ListCommands::Id::SortZToA);
    }
    return parsed;
}

QString helpText() {
    QCommandLineParser parser;
    const Options options;
    describe(parser, options);
    // The parser names the program after the running one; the help names it the same everywhere.
    QString text = parser.helpText();
    const qsizetype lineEnd = text.indexOf(u'\n');
    return QStringLiteral("Usage: ") + kProgram + QStringLiteral(" COMMAND [OPTIONS] ARGS...") +
           text.mid(lineEnd);
}

std::optional<qint64> parseSize(const QString& text) {
    static const QRegularExpression size(QStringLiteral("^([0-9]{1,19})([KMGT]?)$"),
                                         QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = size.match(text);
    if (!match.hasMatch()) return std::nullopt;
    bool number = false;
    const qint64 count = match.captured(1).toLongLong(&number);
    const QString suffix = match.captured(2).toUpper();
    const qsizetype power = suffix.isEmpty() ? 0 : QStringLiteral("KMGT").indexOf(suffix) + 1;
    const qint64 unit = qint64(1) << (10 * power);
    if (!number || count <= 0 || count > std::numeric_limits<qint64>::max() / unit) return std::nullopt;
    return count * unit;
}

QString usageLine() {
    return QStringLiteral("Usage: ") + kProgram + QStringLiteral(" COMMAND [OPTIONS] ARGS... (") + kProgram +
           QStringLiteral(" --help lists the commands)");
}

}  // namespace CliArguments
