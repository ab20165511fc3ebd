// valdoria-cli import-talkgroups / export-talkgroups: the talkgroup table and a RadioReference talkgroup file.
#include "CliCommand.h"
#include "CsvCommands.h"
#include "ScannerLine.h"
#include "store/LocalDatabase.h"
#include "store/TalkgroupCsv.h"

#include <QCommandLineParser>

namespace {

int runTalkgroupCsv(const QStringList& arguments, const QString& name,
                    CsvReport (*transfer)(LocalDatabase&, const QString&)) {
    QCommandLineParser parser;
    parser.addPositionalArgument(QStringLiteral("file"), QStringLiteral("The CSV file."));
    Cli::addDataDirOption(parser);
    if (!Cli::parse(parser, arguments))
        return Cli::Usage;
    if (parser.positionalArguments().size() != 1)
        return Cli::fail(QStringLiteral("usage: valdoria-cli %1 FILE.csv").arg(name), Cli::Usage);
    const std::optional<QString> dir = Cli::dataDir(parser);
    if (!dir)
        return Cli::Failed;
    CliPrompter prompter;
    LocalDatabase database(LocalDatabase::pathForAppFolder(*dir), prompter);
    const CsvReport report = transfer(database, parser.positionalArguments().first());
    if (!report.ok)
        return Cli::fail(report.error);
    Cli::out(report.summary());
    return Cli::Ok;
}

} // namespace

int runImportTalkgroups(const QStringList& arguments) {
    return runTalkgroupCsv(arguments, QStringLiteral("import-talkgroups"), &TalkgroupCsv::importTable);
}

int runExportTalkgroups(const QStringList& arguments) {
    return runTalkgroupCsv(arguments, QStringLiteral("export-talkgroups"), &TalkgroupCsv::exportTable);
}
