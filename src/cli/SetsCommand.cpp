#include "SetsCommand.h"

#include "CliCommand.h"
#include "ScannerLine.h"
#include "store/BackupSets.h"

#include <QCommandLineParser>

int runSets(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Lists the backup sets: the name, a tab, its channel count."));
    Cli::addDataDirOption(parser);
    if (!Cli::parse(parser, arguments))
        return Cli::Usage;
    ScannerLine line;
    if (!line.openDatabase(parser, ScannerLine::Access::Read))
        return Cli::Failed;
    const auto sets = BackupSets(line.database()).list();
    if (!sets)
        return Cli::fail(QStringLiteral("the backup sets cannot be read"));
    for (const BackupSets::SetInfo& set : *sets)
        Cli::out(set.name + QLatin1Char('\t') + QString::number(set.channels));
    return Cli::Ok;
}
