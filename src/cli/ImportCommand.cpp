// valdoria-cli import: a CHIRP generic CSV file into a backup set.
#include "CliCommand.h"
#include "CsvCommands.h"
#include "ScannerLine.h"
#include "store/ChannelCsv.h"
#include "store/LocalDatabase.h"

#include <QCommandLineParser>

int runImport(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Adds a CHIRP CSV file's channels to a backup set, replacing rows of the same channel."));
    parser.addOption({QStringLiteral("set"), QStringLiteral("The backup set to fill."), QStringLiteral("name")});
    parser.addPositionalArgument(QStringLiteral("file"), QStringLiteral("The CSV file to read."));
    Cli::addDataDirOption(parser);
    if (!Cli::parse(parser, arguments))
        return Cli::Usage;
    if (!parser.isSet(QStringLiteral("set")) || parser.positionalArguments().size() != 1)
        return Cli::fail(QStringLiteral("usage: valdoria-cli import FILE.csv --set NAME"), Cli::Usage);
    const std::optional<QString> dir = Cli::dataDir(parser);
    if (!dir)
        return Cli::Failed;
    CliPrompter prompter;
    LocalDatabase database(LocalDatabase::pathForAppFolder(*dir), prompter);
    const CsvReport report =
        ChannelCsv::importSet(database, parser.positionalArguments().first(), parser.value(QStringLiteral("set")));
    if (!report.ok)
        return Cli::fail(report.error);
    Cli::out(report.summary());
    return Cli::Ok;
}
