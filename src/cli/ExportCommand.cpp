// valdoria-cli export: a backup set written as CHIRP's generic CSV file.
#include "CliCommand.h"
#include "CsvCommands.h"
#include "ScannerLine.h"
#include "store/ChannelCsv.h"
#include "store/LocalDatabase.h"

#include <QCommandLineParser>

int runExport(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Writes a backup set as a CSV file CHIRP opens."));
    parser.addOption({QStringLiteral("set"), QStringLiteral("The backup set to write."), QStringLiteral("name")});
    parser.addPositionalArgument(QStringLiteral("file"), QStringLiteral("The CSV file to write."));
    Cli::addDataDirOption(parser);
    if (!Cli::parse(parser, arguments))
        return Cli::Usage;
    if (!parser.isSet(QStringLiteral("set")) || parser.positionalArguments().size() != 1)
        return Cli::fail(QStringLiteral("usage: valdoria-cli export --set NAME FILE.csv"), Cli::Usage);
    const std::optional<QString> dir = Cli::dataDir(parser);
    if (!dir)
        return Cli::Failed;
    CliPrompter prompter;
    LocalDatabase database(LocalDatabase::pathForAppFolder(*dir), prompter);
    const CsvReport report =
        ChannelCsv::exportSet(database, parser.value(QStringLiteral("set")), parser.positionalArguments().first());
    if (!report.ok)
        return Cli::fail(report.error);
    Cli::out(report.summary());
    return Cli::Ok;
}
