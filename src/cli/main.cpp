// valdoria-cli: the scanner program without a window. Each subcommand lives in a file of its own
// and is named in kCommands; all of them run on the same core as the window.
#include "ActivityCommand.h"
#include "BackupCommand.h"
#include "CliCommand.h"
#include "CsvCommands.h"
#include "ImportUlsCommand.h"
#include "MonitorCommand.h"
#include "RecordingsCommand.h"
#include "RestoreCommand.h"
#include "SearchCommand.h"
#include "SetsCommand.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QLoggingCategory>
#include <QTextStream>

#include <iterator>

namespace {

// The subcommands, in the order `valdoria-cli --help` lists them.
const CliCommand kCommands[] = {
    {"version", "Print the program's version.",
     [](const QStringList& arguments) {
         QCommandLineParser parser;
         parser.setApplicationDescription(QStringLiteral("Prints the program's version."));
         if (!Cli::parse(parser, arguments))
             return int(Cli::Usage);
         Cli::out(QStringLiteral("valdoria-cli %1").arg(QStringLiteral(VALDORIA_VERSION)));
         return int(Cli::Ok);
     }},
    {"activity", "Hits per hour and the busiest channels and talkgroups of a day's logs.", runActivity},
    {"backup", "Read the scanner's banks into a backup set.", runBackup},
    {"restore", "Program a backup set into the scanner, reading each channel back.", runRestore},
    {"sets", "List the backup sets and their channel counts.", runSets},
    {"monitor", "Follow the scanner without a window, one line per change of its display.", runMonitor},
    {"recordings", "List the recorded hits of a day (--date YYYY-MM-DD).", runRecordings},
    {"export", "Write a backup set as a CHIRP CSV file (--set NAME FILE.csv).", runExport},
    {"import", "Read a CHIRP CSV file into a backup set (FILE.csv --set NAME).", runImport},
    {"export-talkgroups", "Write the talkgroups as a RadioReference CSV file.", runExportTalkgroups},
    {"import-talkgroups", "Add or update talkgroups from a RadioReference CSV file.", runImportTalkgroups},
    {"search", "Search the transmitter database (the online frequency search).", runSearch},
    {"import-uls", "Load the public licence files into a transmitter database.", runImportUls},
};

void printUsage(QTextStream& stream) {
    stream << "Usage: valdoria-cli COMMAND [OPTIONS]\n"
              "Drives a PRO-2052 or BC780XLT radio scanner without a window.\n\nCommands:\n";
    for (const CliCommand& command : kCommands)
        stream << "  " << QString::fromLatin1(command.name).leftJustified(18) << ' ' << command.summary << '\n';
    stream << "\nvaldoria-cli COMMAND --help shows the options of one command.\n" << Qt::flush;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    // The same names as the window, so both find the same settings and default data folder.
    QCoreApplication::setOrganizationName(QStringLiteral("Valdoria"));
    QCoreApplication::setApplicationName(QStringLiteral("Valdoria"));
    QCoreApplication::setApplicationVersion(QStringLiteral(VALDORIA_VERSION));
    // The core's diagnostics would repeat the one-line reasons on stderr, in every subcommand;
    // QT_LOGGING_RULES still turns them on.
    QLoggingCategory::setFilterRules(QStringLiteral("valdoria.*=false"));

    QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() < 2) {
        QTextStream err(stderr);
        printUsage(err);
        return Cli::Usage;
    }
    const QString name = arguments.at(1);
    if (name == QLatin1String("--help") || name == QLatin1String("-h") || name == QLatin1String("help")) {
        QTextStream out(stdout);
        printUsage(out);
        return Cli::Ok;
    }
    if (name == QLatin1String("--version"))
        return kCommands[0].run({QStringLiteral("valdoria-cli version")});
    for (const CliCommand& command : kCommands) {
        if (name == QLatin1String(command.name)) {
            // The subcommand sees "valdoria-cli NAME" as its program name, for its --help.
            arguments.removeAt(1);
            arguments[0] = QStringLiteral("valdoria-cli ") + name;
            return command.run(arguments);
        }
    }
    return Cli::fail(QStringLiteral("no command \"%1\"; valdoria-cli --help lists them").arg(name), Cli::Usage);
}
