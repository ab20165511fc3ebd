#include "BackupCommand.h"

#include "BuiltInSimulator.h"
#include "CliCommand.h"
#include "ScannerLine.h"
#include "memory/BackupJob.h"
#include "state/ScannerProfile.h"
#include "store/BackupSets.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDate>

int runBackup(const QStringList& arguments) {
    std::optional<QString> simulate;
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Reads the scanner's banks into a backup set of the local database and prints the set's name."));
    ScannerLine::addPortOptions(parser);
    parser.addOption(
        {QStringLiteral("banks"), QStringLiteral("Banks to read, e.g. 1-5,8 (default: all)."), QStringLiteral("list")});
    parser.addOption({QStringLiteral("name"),
                      QStringLiteral("Name of the set; \" - \" and today's date are added (default VDPro)."),
                      QStringLiteral("text")});
    Cli::addDataDirOption(parser);
    if (!Cli::parse(parser, BuiltInSimulator::takeOption(arguments, &simulate)))
        return Cli::Usage;
    const ScannerProfile* profile = ScannerLine::profile(parser, simulate);
    if (!profile)
        return Cli::Usage;
    const std::optional<QList<int>> chosen = ScannerLine::chosenBanks(parser, *profile);
    if (!chosen)
        return Cli::Usage;
    const QList<int>& banks = *chosen;
    const QString setName = BackupJob::setName(parser.value(QStringLiteral("name")), QDate::currentDate());
    if (const QString problem = BackupSets::nameProblem(setName); !problem.isEmpty())
        return Cli::fail(QStringLiteral("--name: ") + problem, Cli::Usage);

    ScannerLine line;
    if (!line.openDatabase(parser) || !line.openScanner(parser, *profile, simulate))
        return Cli::Failed;
    BackupJob job(line.context());
    followJob(job, line, QStringLiteral("Backup"));
    QObject::connect(&job, &MemoryJob::finished, &job, [](const MemoryJobResult& result) {
        Cli::say(result.message);
        if (result.channelsDone > 0)
            Cli::out(result.setName);
    });
    job.start(banks, setName);
    return QCoreApplication::exec();
}
