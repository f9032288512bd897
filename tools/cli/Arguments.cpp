#include "Arguments.h"

#include "Failure.h"

#include <QCommandLineParser>

#include <map>

const char* const kUsage =
    "Usage: tidewell-cli COMMAND [ARGUMENT]...\n"
    "Reads and writes the settings of Type1 dive computers and Tidewell settings files.\n"
    "\n"
    "Commands:\n"
    "  ports                 list the serial ports as Tidewell's port box does,\n"
    "                        \"name : description\", then a tab and the device path\n"
    "  detect PORT           look for a dive computer on PORT and name it\n"
    "  load PORT FILE.kvx    read the settings of the dive computer on PORT into a\n"
    "                        settings file, as Tidewell's Save writes it\n"
    "  store PORT FILE.kvx [--backup OLD.kvx] [--all] [--no-verify]\n"
    "                        write the settings of FILE.kvx to the dive computer on\n"
    "                        PORT, then read them back to check that it kept them\n"
    "                        (not with --no-verify). The dive computer keeps its own\n"
    "                        serial number, model, firmware version and counters (dive\n"
    "                        time, number of dives, greatest depth) unless --all is\n"
    "                        given. With --backup its settings are first saved to OLD.kvx\n"
    "  show FILE.kvx [--json]\n"
    "                        print every setting of a settings file, as Tidewell shows it\n"
    "\n"
    "PORT is a port name from 'ports' (letter case ignored) or a device path.\n"
    "Progress is shown on standard error when that is a terminal.\n"
    "SIGINT (Ctrl-C), SIGTERM or SIGHUP ends a transfer at the next block of at most 32\n"
    "bytes: the port is put back as it was found, and the program says what the dive\n"
    "computer may now hold. A second such signal ends the program at once.\n"
    "\n"
    "Exit status:\n"
    "  0  done\n"
    "  1  any other failure\n"
    "  2  bad command line\n"
    "  3  the port does not exist or cannot be opened\n"
    "  4  no dive computer answers on the port\n"
    "  5  the transfer to or from the dive computer broke off or was interrupted\n"
    "  6  the settings file is foreign or damaged\n"
    "  7  a file cannot be read or written\n";

namespace {

using Command = Arguments::Command;

struct Grammar {
    Command command;
    QStringList positionals;  // names, for the messages
    QStringList options;      // the options the command takes
};

const std::map<QString, Grammar>& Commands()
{
    static const std::map<QString, Grammar> commands = {
        {QStringLiteral("ports"), {Command::Ports, {}, {}}},
        {QStringLiteral("detect"), {Command::Detect, {QStringLiteral("PORT")}, {}}},
        {QStringLiteral("load"),
         {Command::Load, {QStringLiteral("PORT"), QStringLiteral("FILE")}, {}}},
        {QStringLiteral("store"),
         {Command::Store,
          {QStringLiteral("PORT"), QStringLiteral("FILE")},
          {QStringLiteral("backup"), QStringLiteral("all"), QStringLiteral("no-verify")}}},
        {QStringLiteral("show"),
         {Command::Show, {QStringLiteral("FILE")}, {QStringLiteral("json")}}},
    };
    return commands;
}

[[noreturn]] void Usage(const QString& message)
{
    throw Failure{ExitUsage, message + QStringLiteral("\nTry 'tidewell-cli --help'.")};
}

}  // namespace

Arguments ParseArguments(const QStringList& arguments)
{
    QCommandLineParser parser;
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption backup(QStringLiteral("backup"), QString(), QStringLiteral("OLD"));
    const QCommandLineOption all(QStringLiteral("all"));
    const QCommandLineOption json(QStringLiteral("json"));
    const QCommandLineOption noVerify(QStringLiteral("no-verify"));
    parser.addOptions({help, backup, all, json, noVerify});
    if (!parser.parse(arguments))
        Usage(parser.errorText());

    Arguments result;
    if (parser.isSet(help))
        return result;
    QStringList positionals = parser.positionalArguments();
    if (positionals.isEmpty())
        Usage(QStringLiteral("no command given"));
    const QString name = positionals.takeFirst();
    const auto found = Commands().find(name);
    if (found == Commands().end())
        Usage(QStringLiteral("unknown command '%1'").arg(name));
    const Grammar& grammar = found->second;

    for (const QString& option : parser.optionNames())
        if (!grammar.options.contains(option))
            Usage(QStringLiteral("'%1' takes no option --%2").arg(name, option));
    if (positionals.size() < grammar.positionals.size())
        Usage(
            QStringLiteral("'%1' needs %2").arg(name, grammar.positionals.join(QLatin1Char(' '))));
    if (positionals.size() > grammar.positionals.size())
        Usage(QStringLiteral("'%1' takes no argument '%2'")
                  .arg(name, positionals.at(grammar.positionals.size())));
    for (const QString& value : positionals)
        if (value.isEmpty())
            Usage(QStringLiteral("'%1' needs %2, not an empty text")
                      .arg(name, grammar.positionals.join(QLatin1Char(' '))));

    result.command = grammar.command;
    if (grammar.positionals.contains(QLatin1String("PORT")))
        result.port = positionals.takeFirst();
    if (grammar.positionals.contains(QLatin1String("FILE")))
        result.file = positionals.takeFirst();
    result.backup = parser.value(backup);
    if (parser.isSet(backup) && result.backup.isEmpty())
        Usage(QStringLiteral("--backup needs a file name"));
    result.all = parser.isSet(all);
    result.verify = !parser.isSet(noVerify);
    result.json = parser.isSet(json);
    return result;
}
