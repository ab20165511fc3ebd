// valdoria-cli export-talkgroups: the talkgroup table and a RadioReference talkgroup file.
#include "CliCommand.h"
#include "CsvCommands.h"
#include "ScannerLine.h"
#include "store/LocalDatabase.h"
#include "store/TalkgroupCsv.h"

#include <QCommandLineParser>

int runExportTalkgroups(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.addPositionalArgument(QStringLiteral("file"), QStringLiteral("The CSV file."));
    Cli::addDataDirOption(parser);
    if (!Cli::parse(parser, arguments))
        return Cli::Usage;
    if (parser.positionalArguments().size() != 1)
        return Cli::fail(QStringLiteral("usage: valdoria-cli export-talkgroups FILE.csv"), Cli::Usage);
    const std::optional<QString> dir = Cli::dataDir(parser);
    if (!dir)
        return Cli::Failed;
    CliPrompter prompter;
    LocalDatabase database(LocalDatabase::pathForAppFolder(*dir), prompter);
    const CsvReport report = TalkgroupCsv::exportTable(database, parser.positionalArguments().first());
    if (!report.ok)
        return Cli::fail(report.error);
    Cli::out(report.summary());
    return Cli::Ok;
}
